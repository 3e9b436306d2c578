// Puts a global back as it was when the holder was made, when the holder
// goes: a fixture member for what its tests change.
#pragma once

#include <algorithm>
#include <iterator>

namespace kqtest {

template <typename T>
class Restore {
public:
    explicit Restore(T& global) : m_global(global), m_saved(global) {}
    ~Restore() { m_global = m_saved; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& m_global;
    T m_saved;
};

// Arrays (a device path, an address) are copied element by element.
template <typename T, size_t N>
class Restore<T[N]> {
public:
    explicit Restore(T (&global)[N]) : m_global(global) { std::copy(std::begin(global), std::end(global), m_saved); }
    ~Restore() { std::copy(std::begin(m_saved), std::end(m_saved), m_global); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T (&m_global)[N];
    T m_saved[N];
};

}  // namespace kqtest
