// Text a user types must have a CP949 form.
#include "ui/common/cp949_input.h"

#include "platform/text_encoding.h"

bool ToCp949Exact(const QString& strText, std::string& strCp949)
{
    return platform::Utf8ToCp949Exact(strText.toStdString(), strCp949);
}

bool HasCp949Form(const QString& strText)
{
    std::string strIgnored;
    return ToCp949Exact(strText, strIgnored);
}

QString FromCp949(const std::string& strCp949)
{
    return QString::fromStdString(platform::Cp949ToUtf8(strCp949));
}

QValidator::State CCp949Validator::validate(QString& strInput, int& nPos) const
{
    std::string strCp949;
    if (!ToCp949Exact(strInput, strCp949)) {
        emit Refused(strInput);
        return Invalid;
    }
    if (m_nByteLimit > 0 && static_cast<int>(strCp949.size()) > m_nByteLimit) {
        return Invalid;
    }
    return m_pInner != nullptr ? m_pInner->validate(strInput, nPos) : Acceptable;
}
