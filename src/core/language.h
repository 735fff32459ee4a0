// The interface's language. Its texts are written in Japanese; an English
// translation serves every user whose desktop asks for another language.
#pragma once

#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <memory>

namespace orvane {

// The languages a locale asks for, most wanted first; none for C and POSIX,
// which name no language and keep the interface Japanese.
QStringList PreferredLanguages(const QLocale& locale);

// Whether the interface should be English: the first of `languages` that is
// Japanese or English decides; a list naming only other languages gets
// English, an empty one Japanese.
bool WantsEnglish(const QStringList& languages);

// The English translation when `languages` wants it, else nothing. Install
// it with QCoreApplication::installTranslator before the windows are made.
std::unique_ptr<QTranslator> TranslatorFor(const QStringList& languages);

// Whether the interface speaks a translation rather than Japanese: windows
// whose fixed layout was drawn for the Japanese texts make room for longer ones.
bool InterfaceIsTranslated();

}  // namespace orvane
