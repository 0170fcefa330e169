#pragma once
// The plain files of a folder whose names start with `prefix` and end with
// `suffix` (either may be empty), letters compared without regard to case as
// a wildcard filter would, sorted by name. Plain comparisons rather than
// wildcard filters: a filter compiles a regular expression, and with it the
// whole expression engine is paged in at start-up for one folder listing.
#include <QString>
#include <QStringList>
#include <QStringView>

QStringList filesNamed(const QString& folder, QStringView prefix, QStringView suffix);
