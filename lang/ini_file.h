#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace lexivoce::lang {

// A wide-string initialization file ("[section]" lines followed by key=value
// lines), our own reader and writer of the private-profile format.
//
// Reading accepts UTF-16LE with the mark FF FE, UTF-8 (with or without its
// mark) and, failing those, 8-bit text (Latin-1). Writing always produces
// UTF-16LE with the mark and CR LF line ends: before the first write a missing
// file is created and a file in another encoding is converted, its sections
// intact. A file that exists but cannot be read, or is in a form we do not
// read (a folder, UTF-16 big-endian or without its mark, UTF-32), makes every
// read and write raise lexivoce::Error("Cannot read "<file name>". <reason>.");
// it is never rewritten.
//
// Section and key names match without regard to letter case; values come back
// as stored (blanks around them trimmed). A new section is appended at the end
// of the file, a new key at the end of its section, an existing key is replaced
// in place; comments and unknown lines are kept.
//
// Every write goes to the file at once and whole (TSaveFile: a temporary file
// in the same folder, checked to the last byte, takes the original's place),
// so a crash or a full disk never leaves a half-written file. A failed write
// raises lexivoce::Error with the message "Unable to write to <file name>".
//
// The object holds only its file name and a parsed copy of the file, reloaded
// whenever the file on disk changes. Not thread-safe; one thread at a time.
class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);
    virtual ~TIniFile();

    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    const QString &FileName() const { return m_fileName; }

    // Section names in file order, each once (the first spelling wins). A
    // missing file gives an empty list. Every read throws when the file
    // cannot be read (see above).
    QStringList ReadSections() const;

    // Key names of one section in file order; empty when the section is absent.
    QStringList ReadSection(const QString &section) const;

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;

    // The value of key in section, or defaultValue when the key is missing.
    // No length limit.
    virtual QString ReadString(const QString &section, const QString &key,
                               const QString &defaultValue) const;

    // Leading decimal digits of the value (an optional sign allowed, blanks
    // around it ignored), clamped to the int range; a present value without
    // digits gives 0; a missing key gives defaultValue.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;

    // Throws lexivoce::Error("Unable to write to %s") on failure. Line breaks
    // inside section, key or value become blanks, so that a value can never
    // inject lines into the file. A key name that the format cannot hold
    // (empty, beginning with "[" or ";", or holding "=") is refused with an
    // error that names it, and nothing is written.
    void WriteString(const QString &section, const QString &key, const QString &value);

    // Writes the decimal text of value; fails like WriteString.
    void WriteInteger(const QString &section, const QString &key, int value);

    // Removes every section of that name with all its keys; fails like
    // WriteString. Erasing a missing section still makes sure the file exists
    // in the written encoding.
    void EraseSection(const QString &section);

    // The error text for a failed write of fileName.
    static QString WriteErrorMessage(const QString &fileName);

protected:
    // Points the object at another file (the language switch reuses it).
    void SetFileName(const QString &fileName);

private:
    struct Content;
    const Content &Load() const;
    void Save(const Content &content);

    QString m_fileName;
    mutable std::unique_ptr<Content> m_cache;
};

} // namespace lexivoce::lang
