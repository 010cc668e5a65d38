#pragma once
// Lets every test file of a folder register its QtTest class; one main runs them all.
#include <QObject>
#include <functional>
#include <vector>

namespace testing_support {

using TestFactory = std::function<QObject*()>;

// Which back ends a test class runs on: both, or only the register file (the class tests
// the file itself, or nothing in the store).
enum class Backends { Both, FileOnly };

struct Entry {
    const char* name;
    TestFactory make;
    Backends backends;
};
std::vector<Entry>& registry();

struct Registrar {
    Registrar(const char* name, TestFactory factory, Backends backends = Backends::Both) {
        registry().push_back({name, std::move(factory), backends});
    }
};

} // namespace testing_support

#define QINTARA_TEST(Class)                                                                        \
    static testing_support::Registrar registrar_##Class(#Class, [] { return new Class; });
// A class that runs only on the register file, not in the server run.
#define QINTARA_FILE_TEST(Class)                                                                   \
    static testing_support::Registrar registrar_##Class(                                           \
        #Class, [] { return new Class; }, testing_support::Backends::FileOnly);
