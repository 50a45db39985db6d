// A process-wide replaceable piece: the real thing unless a test has put another
// in its place for a while. Every such seam of the program and the libraries is
// a Seam, and a test replaces one only through a ScopedSeam, so the real piece
// always comes back, also when the test fails half-way.
#pragma once

#include <utility>

namespace tidvex {

template <class T>
class Seam {
public:
    explicit Seam(T real = T{}) : current_(std::move(real)) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    const T& Get() const { return current_; }

    // Puts replacement in force and returns what was.
    T Exchange(T replacement) { return std::exchange(current_, std::move(replacement)); }

private:
    T current_;
};

// Keeps a replacement in force for its own life.
template <class T>
class ScopedSeam {
public:
    ScopedSeam(Seam<T>& seam, T replacement) : seam_(seam), previous_(seam.Exchange(std::move(replacement))) {}
    ~ScopedSeam() { seam_.Exchange(std::move(previous_)); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    Seam<T>& seam_;
    T previous_;
};

}  // namespace tidvex
