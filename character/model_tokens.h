// Model file tokens: whitespace-separated integers, reals and words read from text in memory.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// Thrown by ModelTokens when the text does not hold the token asked for; the
// message says what was expected and where.
class ModelFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads tokens from a text without ever looking past its end; every failure
// names the token number and line.
class ModelTokens {
public:
    ModelTokens(const char* text, std::size_t size) : text_(text), size_(size) {}

    // A decimal integer that fits 32 bits.
    int readInt(const char* what);
    // A decimal integer or real; finite single-precision values only.
    float readReal(const char* what);
    // Any run of non-whitespace characters, dropped.
    void skipWord(const char* what);

    // An upper bound on the tokens still in the text (each takes at least one
    // character and one separator), used to refuse absurd counts before
    // allocating for them.
    std::size_t maximumTokensLeft() const { return (size_ - position_ + 1) / 2; }

    // "token N (line L)" of the token read last.
    std::string lastTokenPlace() const;

    [[noreturn]] void fail(const std::string& problem) const;

private:
    std::string_view next(const char* what);

    const char* text_;
    std::size_t size_;
    std::size_t position_ = 0;
    long long tokenNumber_ = 0;
    long long line_ = 1;
    long long tokenLine_ = 1;
};
