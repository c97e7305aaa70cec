#pragma once

#include "marked_lines.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace gatewaylog {

// The orders the gateway sent one device from one view: the patient ID of each
// response and the final response line, for every association of the device
// in which the view name stood on exactly two lines before the responses. The
// patient IDs are shown as the archive holds them.
class OrderLookup final
{
public:
    OrderLookup(const QString &aeTitle, QString viewName);

    QList<QByteArray> markers() const;
    // With no view name every non-empty line counts as naming it, so every
    // line has to be looked at.
    bool needsEveryLine() const { return m_view.isEmpty(); }
    // The reader of the lines feed() takes (tests use small blocks and bounds).
    MarkedLineReader reader(qint64 blockSize = MarkedLineReader::kBlockSize,
                            qint64 lineBound = MarkedLineReader::kLineBound) const;

    // found: which of markers() the line holds (bit i for marker i).
    void feed(QByteArrayView line, bool adjacent, quint32 found);
    const QString &text() const { return m_text; }
    // A response line listed was cut at the end of a line too long to be read whole.
    bool cut() const { return m_cut; }

    static QString helpText();

private:
    QString m_calling;
    QString m_escapedCalling;
    QString m_view;
    int m_tally = -1; // -1: not the device; else the lines naming the view so far
    bool m_skip = false;
    bool m_cut = false;
    QString m_text;
};

} // namespace gatewaylog
