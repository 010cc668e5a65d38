#pragma once
// Lets every test file of a folder register its QtTest class; one main runs them all.
#include <QObject>
#include <functional>
#include <vector>

namespace testing_support {

using TestFactory = std::function<QObject*()>;
std::vector<std::pair<const char*, TestFactory>>& registry();

struct Registrar {
    Registrar(const char* name, TestFactory factory) {
        registry().emplace_back(name, std::move(factory));
    }
};

} // namespace testing_support

#define QINTARA_TEST(Class)                                                                        \
    static testing_support::Registrar registrar_##Class(#Class, [] { return new Class; });
