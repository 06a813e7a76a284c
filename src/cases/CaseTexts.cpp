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

CaseContent loadCase(const std::string &path, char separator)
{
    CaseContent content = readCase(path);
    content.texts = swapSeparator(std::move(content.texts), separator);
    return content;
}

int saveCase(const std::string &path, const FieldTexts &shown, char separator,
             const std::optional<MeltFitRange> &meltFit, const std::optional<CaseStudy> &study)
{
    return replaceRegularFile(path, formatCaseFile(swapSeparator(shown, separator), meltFit, study)).err;
}

std::optional<MeltFitRange> keptMeltFit(const std::optional<MeltFitRange> &meltFit, const FieldTexts &opened,
                                        const FieldTexts &shown)
{
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Melt && opened[f.id] != shown[f.id])
            return std::nullopt;
    return meltFit;
}

} // namespace sf
