#include "cases/CaseTexts.h"

#include "CaseFile.h"
#include "io/WholeFile.h"

#include <utility>

namespace sf {

FieldTexts swapSeparator(FieldTexts texts, char separator)
{
    if (separator == '.')
        return texts;
    for (const InputField &f : InputFields) {
        if (f.kind == FieldKind::SaveFileName)
            continue;
        for (char &c : texts[f.id]) {
            if (c == '.')
                c = separator;
            else if (c == separator)
                c = '.';
        }
    }
    return texts;
}

FieldTexts loadCase(const std::string &path, char separator)
{
    return swapSeparator(readCaseFile(path), separator);
}

int saveCase(const std::string &path, const FieldTexts &shown, char separator)
{
    return replaceWholeFile(path, formatCaseFile(swapSeparator(shown, separator)));
}

} // namespace sf
