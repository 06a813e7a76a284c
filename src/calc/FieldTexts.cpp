#include "FieldTexts.h"

namespace sf {

FieldTexts FieldTexts::defaults()
{
    FieldTexts texts;
    for (const InputField &f : InputFields)
        texts[f.id] = std::string(f.defaultText);
    return texts;
}

} // namespace sf
