// Model file tokens: strict decimal parsing of integers and reals, bounded by the text's length.
#include "character/model_tokens.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Longest token quoted back in a message.
constexpr std::size_t kQuotedTokenLength = 24;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

// The token between double quotes, cut to a readable length; bytes outside
// printable ASCII (another file type, say) are written as \xNN escapes.
std::string quoted(std::string_view token) {
    static const char kHexDigits[] = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : token.substr(0, kQuotedTokenLength)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= kFirstPrintable && byte <= kLastPrintable) {
            text.push_back(c);
        } else {
            text += "\\x";
            text.push_back(kHexDigits[byte >> 4]);
            text.push_back(kHexDigits[byte & 0xF]);
        }
    }
    if (token.size() > kQuotedTokenLength) {
        text += "...";
    }
    return text + "\"";
}

// A decimal real: optional sign, digits with an optional point, an optional
// exponent. Hexadecimal forms, "inf" and "nan" are not numbers of the file.
bool isDecimalReal(std::string_view token) {
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < token.size() && isDigit(token[i])) {
        ++i;
        ++digits;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == token.size();
}

}  // namespace

std::string_view ModelTokens::next(const char* what) {
    while (position_ < size_ && isSpace(text_[position_])) {
        if (text_[position_] == '\n') {
            ++line_;
        }
        ++position_;
    }
    if (position_ >= size_) {
        fail(std::string("the file ends where ") + what + " was expected (after token " + std::to_string(tokenNumber_) +
             ", line " + std::to_string(line_) + ")");
    }
    const std::size_t start = position_;
    while (position_ < size_ && !isSpace(text_[position_])) {
        ++position_;
    }
    ++tokenNumber_;
    tokenLine_ = line_;
    return std::string_view(text_ + start, position_ - start);
}

int ModelTokens::readInt(const char* what) {
    std::string_view token = next(what);
    std::string_view digits = token;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.front() == '+' || error == std::errc::invalid_argument ||
        end != digits.data() + digits.size()) {
        fail(std::string("expected ") + what + " (an integer) at " + lastTokenPlace() + ", found " + quoted(token));
    }
    if (error == std::errc::result_out_of_range) {
        fail(std::string(what) + " at " + lastTokenPlace() + " is out of range: " + quoted(token));
    }
    return value;
}

float ModelTokens::readReal(const char* what) {
    std::string_view token = next(what);
    if (!isDecimalReal(token)) {
        fail(std::string("expected ") + what + " (a number) at " + lastTokenPlace() + ", found " + quoted(token));
    }
    if (token.front() == '+') {
        token.remove_prefix(1);
    }
    float value = 0.0f;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    bool representable = end == token.data() + token.size() && error == std::errc();
    if (error == std::errc::result_out_of_range) {
        // A value too small for a float is harmless and becomes a denormal or
        // zero; only one too large is refused.
        double wide = 0.0;
        const auto wideResult = std::from_chars(token.data(), token.data() + token.size(), wide);
        representable = wideResult.ec == std::errc() && std::fabs(wide) <= std::numeric_limits<float>::max();
        value = static_cast<float>(wide);
    }
    if (!representable || !std::isfinite(value)) {
        fail(std::string(what) + " at " + lastTokenPlace() +
             " is not a finite single-precision number: " + quoted(token));
    }
    return value;
}

void ModelTokens::skipWord(const char* what) { next(what); }

std::string ModelTokens::lastTokenPlace() const {
    return "token " + std::to_string(tokenNumber_) + " (line " + std::to_string(tokenLine_) + ")";
}

void ModelTokens::fail(const std::string& problem) const { throw ModelFormatError(problem); }
