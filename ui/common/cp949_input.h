// Text a user types must have a CP949 form: every text the program keeps
// (Config.ini, the agent's values, the log) is CP949. An edit refuses the
// rest at input, instead of letting it turn into '?' later.
#pragma once

#include <QString>
#include <QValidator>
#include <string>

// The CP949 bytes of the text; false when a character has none.
bool ToCp949Exact(const QString& strText, std::string& strCp949);
bool HasCp949Form(const QString& strText);
// CP949 text (from the core) for display.
QString FromCp949(const std::string& strCp949);

// Refuses (Invalid) text without a CP949 form or longer than the byte
// limit (a Hangul syllable is two bytes, as the original edits counted);
// otherwise an inner validator, when given, decides.
class CCp949Validator : public QValidator
{
    Q_OBJECT
public:
    explicit CCp949Validator(QObject* pParent = nullptr) : QValidator(pParent) {}

    // The validator asked after the CP949 check (not owned); null: none.
    void SetInner(const QValidator* pInner) { m_pInner = pInner; }
    // 0: no limit.
    void SetByteLimit(int nBytes) { m_nByteLimit = nBytes; }

    State validate(QString& strInput, int& nPos) const override;

signals:
    // A text was refused for having no CP949 form.
    void Refused(const QString& strInput) const;

private:
    const QValidator* m_pInner = nullptr;
    int m_nByteLimit = 0;
};
