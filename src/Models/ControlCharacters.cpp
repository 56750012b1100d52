#include "ControlCharacters.h"

#include <QChar>

bool isControlOrFormatCharacter(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}
