// The case-file reader on arbitrary bytes: a clear error or a case, never a
// crash. A case that is read, its melt's fit range included, must come back
// whole through the writer.

#include "cases/CaseFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    sf::CaseContent read;
    try {
        read = sf::parseCase(bytes, "fuzz.sfcase");
    } catch (const sf::CaseFileError &e) {
        // Every message names the file first.
        if (std::string(e.what()).rfind("fuzz.sfcase:", 0) != 0)
            std::abort();
        return 0;
    }
    try {
        const sf::CaseContent again = sf::parseCase(sf::formatCaseFile(read.texts, read.meltFit), "again.sfcase");
        if (!(again.texts == read.texts && again.meltFit == read.meltFit))
            std::abort();
    } catch (const sf::CaseFileError &) {
        std::abort();
    }
    return 0;
}
