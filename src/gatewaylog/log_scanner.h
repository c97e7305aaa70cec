#pragma once

#include "log_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace gatewaylog {

// Ends a fragment taken to the end of a line that was too long to be read
// whole (MarkedLineReader::kLineBound): the rest of the line is not in it.
inline constexpr char16_t kCutMark[] = u"\u2026";

// One entry per distinct association: the calling AE title, the character set
// of the query and the query text, each wrapped in its marker pair, in the
// order their lines occur: "+//+AE+///+", "*//*[CS]*///*", "-//-FROM …-///-".
// The collection state runs on from one file into the next, and the line
// directly after an end of association is never taken apart. The fragments
// hold the lines' text as logged, escapes and all: format::unescape() gives
// what the device sent.
class Scanner final
{
public:
    static QList<QByteArray> markers();

    // line: raw bytes in the ANSI code page, without its line end; adjacent:
    // it directly follows the line fed before it; found: which of markers()
    // the line holds (bit i for marker i).
    void feed(QByteArrayView line, bool adjacent, quint32 found);
    // The same, finding the markers itself.
    void feed(QByteArrayView line, bool adjacent);

    // Distinct entries in the order their first association ended.
    const QStringList &entries() const { return m_entries; }
    // The day of the entry's newest association, from its end line's time
    // stamp; invalid when no end line of it had one.
    QDate lastDay(const QString &entry) const { return m_lastDay.value(entry); }
    // A fragment was cut at the end of a line too long to be read whole.
    bool cut() const { return m_cut; }

private:
    enum Kind { CallingKind, CharsetKind, QueryKind };
    QString fragmentOf(Kind kind, QByteArrayView line, bool cut);
    QDate endDay(QByteArrayView line);

    // Lines that differ only in their time stamp give one fragment, made once
    // for each text behind the stamp (a few per device).
    struct Made
    {
        QByteArray rest;
        QString fragment;
    };
    QHash<size_t, Made> m_made[3];
    qsizetype m_madeBytes[3] = {};
    QByteArray m_dayText; // the last end line's "<yyyy-mm-dd" and its day
    QDate m_day;
    QString m_entry;
    bool m_charsetTaken = false;
    bool m_skip = false;
    bool m_cut = false;
    QStringList m_entries;
    QHash<QString, QDate> m_lastDay; // also the set of entries seen
};

// The fragments of one line: pure text rules, also for tests. cut: the line
// is the head of a longer one, so a fragment that runs to its end says so.
QString callingFragment(const QString &line, bool cut = false);
QString charsetFragment(const QString &line, bool cut = false);
QString queryFragment(const QString &line, bool cut = false);

// What Label3 says after reading lines too long to be read whole.
QString cutNote();

} // namespace gatewaylog
