#pragma once
// The program's version and identity, generated from CMakeLists.txt (project VERSION and
// QINTARA_APP_ID): the package, `qintara --version` and the about box all read them here.
namespace BuildInfo {
extern const char* const version;
// The desktop entry's, icon's and AppStream file's name.
extern const char* const appId;
} // namespace BuildInfo
