// How the core answers: a value, or why there is none in words for the user.
// The words name no file; the caller puts the file's name in front.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace quillon {

struct Failure {
    std::string what;
};

template <typename T>
class Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}            // NOLINT: a value is a result
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT: so is a failure

    bool Ok() const { return state_.index() == 0; }
    explicit operator bool() const { return Ok(); }

    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    // Why there is no value; empty when there is one.
    const std::string& Error() const
    {
        static const std::string none;
        return Ok() ? none : std::get<1>(state_).what;
    }

private:
    std::variant<T, Failure> state_;
};

}  // namespace quillon
