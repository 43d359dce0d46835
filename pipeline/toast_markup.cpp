// Escaping order text for the toast's markup.
#include "pipeline/toast_markup.h"

std::string EscapeToastMarkup(const std::string& strText)
{
    std::string strOut;
    strOut.reserve(strText.size() + 8);
    for (char ch : strText) {
        if (ch == '<') {
            strOut += "<<";
        } else if (ch == '&') {
            strOut += "&amp;<>";
        } else {
            strOut += ch;
        }
    }
    return strOut;
}
