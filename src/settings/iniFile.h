#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace corvane {

struct IniDocument;

// The blanks around INI names and values are spaces and tabs; other white space (a form feed, a
// no-break space) belongs to the value. Returns text without them at either end.
QString trimBlanks(const QString& text);

// The file as it was read at one moment, for reading many entries with one open.
class IniContents {
public:
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

private:
    friend class TIniFile;
    std::shared_ptr<const IniDocument> m_document; // null: no file, or one that cannot be read
};

// One entry to write: section, key and the value's text.
struct IniEntry {
    QString section;
    QString key;
    QString value;
};

// Private-profile access to one INI file: sections and keys match without regard to case, values
// are trimmed and unquoted, and each read or write goes to the file itself (nothing is cached).
// The file name is used as given, so a relative one is resolved against the working directory at
// each access.
class TIniFile {
public:
    static constexpr int maxValueLength = 2047;

    explicit TIniFile(QString fileName)
        : m_fileName(std::move(fileName)) {}

    const QString& fileName() const { return m_fileName; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // Reads the file once, for several reads.
    IniContents load() const;

    // Adds or replaces the entry, leaving every other line as it was. Either the whole new file is
    // in place or the old one is untouched; otherwise throws corvane::Error "Unable to write to " +
    // fileName.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Writes the entries in order with one new file: the same bytes as writing them one by one,
    // but a failure leaves all the old values rather than some of each.
    void WriteEntries(const std::vector<IniEntry>& entries);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

private:
    QString m_fileName;
};

// The platform's integer conversion of a settings value: "0x" hexadecimal, then optional leading
// blanks, a sign, and decimal digits or "$" hexadecimal. Anything else, or a value outside the
// 32-bit signed range, gives defaultValue.
int iniTextToInt(const QString& text, int defaultValue);

} // namespace corvane
