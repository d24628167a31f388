#pragma once

#include <QString>

namespace lexivoce::lang {

// A text the program asks for by key, with its built-in default. The
// localizer looks the key up in the current language file and falls back to
// (and writes back) the default.
struct TMessage
{
    const char *Section;
    const char *Key;
    const char *Default; // UTF-8

    QString Text() const { return QString::fromUtf8(Default); }
};

inline constexpr const char *kMessages = "MESSAGES";
inline constexpr const char *kControls = "CONTROLS";

inline constexpr TMessage MSG11{kMessages, "MSG11", "%s dictionary is ready"};
inline constexpr TMessage MSG12{kMessages, "MSG12", "Loading %s dictionary"};
inline constexpr TMessage MSG13{kMessages, "MSG13", "The word you have typed does not exists"};
inline constexpr TMessage MSG14{kMessages, "MSG14", "Creating index file"};
inline constexpr TMessage MSG15{kMessages, "MSG15", "Index file has been created"};
inline constexpr TMessage MSG17{kMessages, "MSG17", "Sorting dict file"};

} // namespace lexivoce::lang
