#pragma once
// The text shown for an error that ends an action.
#include <exception>
#include <string>

namespace tessaly {

// The exception's own message; "Out of memory" for a failed allocation, and a plain
// sentence for anything that carries no message.
std::string ExceptionText(std::exception_ptr error);

} // namespace tessaly
