// Test objects register themselves here; one executable runs them by name, so
// that CTest lists each as a test of its own.
#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quillon::test {

using Factory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, Factory>& Registry();

struct Registration {
    Registration(const char* name, Factory factory) { Registry().emplace(name, std::move(factory)); }
};

}  // namespace quillon::test

#define QUILLON_TEST(Class) \
    static const quillon::test::Registration registration##Class(#Class, [] { return std::make_unique<Class>(); })
