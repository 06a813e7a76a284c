// Both number readers on arbitrary bytes: they must return a value or throw
// one of their own errors, never crash or read outside the text.

#include "calc/Errors.h"
#include "calc/NumberReaders.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A copy of exactly `size` bytes, so that a read past the text is caught
    // by AddressSanitizer.
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    for (const char separator : {'.', ','}) {
        try {
            const double v = sf::readDecimal(bytes, separator);
            if (std::isnan(v) || std::isinf(v))
                std::abort();
        } catch (const sf::ConvertError &) {
        } catch (const sf::OverflowError &) {
        }
    }
    try {
        sf::readWholeNumber(bytes);
    } catch (const sf::ConvertError &) {
    }
    return 0;
}
