#pragma once

#include <source_location>
#include <stdexcept>
#include <string>

namespace korval {

// Run-time error numbers the system reports (the numbers stored error logs carry).
namespace err {
inline constexpr int InvalidCall = 5;  // invalid procedure call or argument
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int Subscript = 9;  // subscript out of range
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int OutOfStack = 28;  // also raised when a regular expression hits its match limit
inline constexpr int FileNotFound = 53;
inline constexpr int PathNotFound = 76;
inline constexpr int DdeNoAnswer = 282;  // no application responded to the link request
inline constexpr int InvalidPicture = 481;
}  // namespace err

// The standard description of an error number ("Type mismatch" for 13).
std::string ErrorDescription(int number);

// A run-time fault: error number, description and the source line where it was raised.
class Fault : public std::runtime_error {
public:
    Fault(int number, std::string description, int line);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    int line() const noexcept { return line_; }

private:
    int number_;
    std::string description_;
    int line_;
};

// Raises fault `number` with its standard description (or `description` when given).
[[noreturn]] void Raise(int number, std::string description = {},
                        std::source_location where = std::source_location::current());

// Turns any exception in flight into a Fault (bad_alloc is error 7, anything else error 5).
Fault CurrentFault();

}  // namespace korval
