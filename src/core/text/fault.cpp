#include "text/fault.h"

#include <exception>
#include <new>

namespace korval {

std::string ErrorDescription(int number)
{
    switch (number) {
        case err::InvalidCall:
            return "Invalid procedure call or argument";
        case err::Overflow:
            return "Overflow";
        case err::OutOfMemory:
            return "Out of memory";
        case err::Subscript:
            return "Subscript out of range";
        case err::DivisionByZero:
            return "Division by zero";
        case err::TypeMismatch:
            return "Type mismatch";
        case err::OutOfStack:
            return "Out of stack space";
        case err::FileNotFound:
            return "File not found";
        case err::PathNotFound:
            return "Path not found";
        case err::DdeNoAnswer:
            return "No foreign application responded to a DDE initiate";
        case err::InvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

Fault::Fault(int number, std::string description, int line)
    : std::runtime_error(description), number_(number), description_(std::move(description)), line_(line)
{
}

void Raise(int number, std::string description, std::source_location where)
{
    if (description.empty()) description = ErrorDescription(number);
    throw Fault(number, std::move(description), static_cast<int>(where.line()));
}

Fault CurrentFault()
{
    try {
        throw;
    } catch (const Fault& f) {
        return f;
    } catch (const std::bad_alloc&) {
        return Fault(err::OutOfMemory, ErrorDescription(err::OutOfMemory), 0);
    } catch (const std::exception& e) {
        return Fault(err::InvalidCall, ErrorDescription(err::InvalidCall), 0);
    } catch (...) {
        return Fault(err::InvalidCall, ErrorDescription(err::InvalidCall), 0);
    }
}

}  // namespace korval
