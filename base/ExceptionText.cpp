#include "base/ExceptionText.h"

#include <new>

namespace tessaly {

std::string ExceptionText(std::exception_ptr error)
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "An unexpected error occurred.";
    }
}

} // namespace tessaly
