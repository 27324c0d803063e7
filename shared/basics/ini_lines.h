#pragma once

#include <QString>
#include <QStringList>

// Settings kept as line lists: a key line followed directly by its value line. Keys are
// compared as whole lines after upper-casing ASCII letters; nothing is trimmed.

// Value of the last matching key, else `default_text`.
QString ini_text(const QString& key, const QStringList& lines, const QString& default_text);
// Integer of the last matching key whose value converts, else `default_integer`.
int ini_integer(const QString& key, const QStringList& lines, int default_integer);
// Value of the first matching key, else `default_text`.
QString ini_text_first(const QStringList& lines, const QString& key, const QString& default_text);
// Integer of the first matching key; a value that does not convert gives the default
// and a message to the operator.
int ini_integer_first(const QStringList& lines, const QString& key, int default_integer);
