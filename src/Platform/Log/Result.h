#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why an operation failed, in one line; converts to any Result.
struct Failure
{
    QString error;
};

// What every platform call that can fail returns: its value, or the one-line reason it failed. Marked
// [[nodiscard]] so that a dropped outcome is a compile error; a caller that means to ignore one says why.
template <typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    // The value; only when ok().
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T* operator->() const { return &value(); }
    const T& operator*() const& { return value(); }
    // The reason; empty when ok().
    QString error() const { return ok() ? QString() : std::get<1>(m_state).error; }

private:
    std::variant<T, Failure> m_state;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_error(std::move(failure.error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // The reason; empty when ok().
    const QString& error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};
