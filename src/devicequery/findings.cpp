#include "findings.h"

#include "character_sets.h"

#include "gateway/dicom_text.h"

#include <QSet>

namespace devicequery {

QString Item::value(const QString &keyword) const
{
    for (const auto &v : values) {
        if (v.first == keyword)
            return v.second;
    }
    return QString();
}

namespace {

bool matchesAll(const QString &key)
{
    return key.trimmed().isEmpty() || key.trimmed() == QLatin1String("*");
}

QString quotedList(const QStringList &values)
{
    QStringList quoted;
    for (const QString &v : values)
        quoted.append(QLatin1Char('\'') + v + QLatin1Char('\''));
    return quoted.join(QStringLiteral(", "));
}

QStringList distinct(const QList<ViewRow> &rows, QString ViewRow::*field)
{
    QStringList values;
    for (const ViewRow &r : rows) {
        const QString v = (r.*field).trimmed();
        if (!values.contains(v))
            values.append(v);
    }
    return values;
}

QString dateText(const QString &key)
{
    return matchesAll(key) ? QStringLiteral("모든 날짜") : key.trimmed();
}

// What the A-ASSOCIATE-RJ's source and reason say was at fault.
void refusalFindings(const Situation &s, const QString &where, QList<Finding> &out)
{
    const Rejection &r = s.answer.rejection;
    const bool byUser = r.source == 1;
    const bool byPresentation = r.source == 3;
    if (byUser && r.reason == 7) {
        out.append(
            {Severity::Error, QStringLiteral("called-ae"),
             QStringLiteral("게이트웨이(%1)가 호출된 AE Title '%2'을(를) 거부했습니다: 장비에 설정된 게이트웨이의 "
                            "AE Title이 설정 파일의 AETitle= 값과 같은지(대소문자 포함) 확인하십시오.")
                 .arg(where, s.calledAeTitle)});
    } else if (byPresentation && (r.reason == 1 || r.reason == 2)) {
        out.append({Severity::Error, QStringLiteral("gateway-busy"),
                    QStringLiteral("게이트웨이(%1)가 동시 연결 한도에 걸려 연결을 거부했습니다: 다른 장비들이 연결을 "
                                   "모두 쓰고 있습니다. 잠시 뒤 다시 조회하거나 설정 파일의 MaxAssociations= 값을 "
                                   "늘리고, 연결을 끊지 않는 장비가 있는지 게이트웨이 로그를 확인하십시오.")
                        .arg(where)});
    } else if (byUser && r.reason == 3 && s.registeredView && s.registeredView->isEmpty()) {
        // Said already: the device's entry cannot be read.
    } else if (byUser && r.reason == 3) {
        out.append(
            {Severity::Error, QStringLiteral("refused"),
             QStringLiteral("게이트웨이(%1)가 AE Title '%2'의 연결을 거부했습니다. 알 수 없는 호출 AE Title이거나 "
                            "설정 파일의 이 장비 항목을 읽지 못한 경우입니다: 게이트웨이 로그와 설정 파일을 "
                            "확인하십시오.")
                 .arg(where, s.aeTitle)});
    } else {
        out.append({Severity::Error, QStringLiteral("refused"),
                    QStringLiteral("게이트웨이(%1)가 AE Title '%2'의 연결을 거부했습니다 (출처 %3, 이유 %4%5): "
                                   "게이트웨이 로그를 확인하십시오.")
                        .arg(where, s.aeTitle)
                        .arg(r.source)
                        .arg(r.reason)
                        .arg(s.answer.detail.isEmpty() ? QString() : QStringLiteral(", ") + s.answer.detail)});
    }
}

// What makes a text reach the device whole: KS X 1001 holds the common
// Hangul syllables, anything beyond it needs UTF-8. For a key the device's own
// set is what changes, for a view the view's.
QString charsetRemedy(const QString &text, const QString &set, bool deviceSet = false)
{
    const bool korean = fits(text, QStringLiteral("ISO 2022 IR 149"));
    if (deviceSet)
        return korean && !normalizedSet(set).contains(QLatin1String("IR 149"))
                   ? QStringLiteral("장비의 Character Set을 '\\ISO 2022 IR 149'처럼 한글을 쓸 수 있는 것으로 "
                                    "바꾸십시오")
                   : QStringLiteral("KS X 1001에 없는 글자가 있어 장비의 Character Set을 'ISO_IR 192'(UTF-8)로 "
                                    "바꿔야 보낼 수 있습니다");
    return korean && !normalizedSet(set).contains(QLatin1String("IR 149"))
               ? QStringLiteral("한글에는 Character_set '\\ISO 2022 IR 149'를 골라 다시 등록하거나 영문 View를 "
                                "쓰십시오")
               : QStringLiteral("KS X 1001에 없는 글자가 있으니 Character_set 'ISO_IR 192'(UTF-8)를 골라 다시 "
                                "등록하십시오(장비가 UTF-8을 읽는지 확인)");
}

void failureFindings(const Situation &s, QList<Finding> &out)
{
    const QString where = s.host + QLatin1Char(':') + QString::number(s.port);
    switch (s.answer.outcome) {
    case Outcome::PortClosed:
        out.append(
            {Severity::Error, QStringLiteral("port-closed"),
             QStringLiteral("게이트웨이가 응답하지 않습니다: %1 포트가 닫혀 있습니다. 워크리스트 서비스(KALDEN1)가 "
                            "실행 중인지, 설정 파일의 Port= 값이 장비의 설정과 같은지 확인하십시오.")
                 .arg(where)});
        break;
    case Outcome::Timeout:
        out.append(
            {Severity::Error, QStringLiteral("timeout"),
             QStringLiteral("게이트웨이(%1)가 %2초 안에 응답하지 않았습니다. 서비스가 멈춰 있지 않은지, 방화벽이 "
                            "포트를 막고 있지 않은지 확인하십시오.")
                 .arg(where)
                 .arg(s.timeoutSeconds)});
        break;
    case Outcome::Refused:
        refusalFindings(s, where, out);
        break;
    case Outcome::Aborted:
        out.append({Severity::Error, QStringLiteral("aborted"),
                    QStringLiteral("게이트웨이(%1)가 조회 도중 연결을 끊었습니다 (%2). 게이트웨이 로그를 확인하십시오.")
                        .arg(where, s.answer.detail)});
        break;
    case Outcome::Failed:
        out.append(
            {Severity::Error, QStringLiteral("failed"),
             QStringLiteral("게이트웨이가 조회 실패(상태 %1)를 돌려주었습니다. View %2을(를) 읽지 못했거나 DB가 "
                            "내려가 있습니다: 게이트웨이 로그를 확인하십시오.")
                 .arg(QString::number(s.answer.status, 16).toUpper().rightJustified(4, QLatin1Char('0')), s.view)});
        break;
    case Outcome::Cancelled:
        out.append({Severity::Note, QStringLiteral("cancelled"),
                    QStringLiteral("조회를 취소했습니다. 받은 항목까지만 비교했습니다.")});
        break;
    case Outcome::Answered:
        break;
    }
}

// The first key that leaves none of the view's rows: the condition that emptied
// the worklist.
void filterFindings(const Situation &s, const QList<ViewRow> &rows, QList<Finding> &out)
{
    const QueryKeys &k = s.keys;
    QList<ViewRow> left;
    for (const ViewRow &r : rows) {
        if (matchesDate(r.date, k.date))
            left.append(r);
    }
    if (left.isEmpty()) {
        out.append({Severity::Warning, QStringLiteral("no-orders"),
                    QStringLiteral("View %1에 %2 처방이 없습니다: 처방이 등록되었는지, 장비가 조회하는 날짜가 맞는지 "
                                   "확인하십시오.")
                        .arg(s.view, dateText(k.date))});
        return;
    }
    struct Key
    {
        QString code;
        QString name;
        QString ViewRow::*field;
        const QString *value;
    };
    const Key keys[] = {
        {QStringLiteral("modality"), QStringLiteral("Modality"), &ViewRow::modality, &k.modality},
        {QStringLiteral("station"), QStringLiteral("Scheduled Station AE Title"), &ViewRow::stationAeTitle,
         &k.stationAeTitle},
        {QStringLiteral("filtered"), QStringLiteral("Patient ID"), &ViewRow::patientId, &k.patientId},
        {QStringLiteral("filtered"), QStringLiteral("Patient Name"), &ViewRow::patientName, &k.patientName},
    };
    for (const Key &key : keys) {
        QList<ViewRow> kept;
        for (const ViewRow &r : left) {
            if (matchesText(r.*key.field, *key.value))
                kept.append(r);
        }
        if (!kept.isEmpty()) {
            left = kept;
            continue;
        }
        const QString carried = quotedList(distinct(left, key.field));
        if (key.code == QLatin1String("modality")) {
            out.append({Severity::Error, key.code,
                        QStringLiteral("장비는 Modality '%1'로 조회하는데 View %2의 %3 처방은 Modality %4입니다: 장비 "
                                       "연동의 Modality 칸(왼쪽, 장비 요청)에 '%1'을 넣어 다시 등록하십시오.")
                            .arg(k.modality.trimmed(), s.view, dateText(k.date), carried)});
        } else if (key.code == QLatin1String("station")) {
            out.append({Severity::Error, key.code,
                        QStringLiteral("장비는 Station AE '%1'로 조회하는데 View %2의 처방은 %3입니다: Station_AE 칸을 "
                                       "'%1'로 맞추어 다시 등록하거나 장비의 Station AE 조회를 끄십시오.")
                            .arg(k.stationAeTitle.trimmed(), s.view, carried)});
        } else {
            out.append({Severity::Error, key.code,
                        QStringLiteral("View %1에 %2 처방이 %3건 있지만 %4 = '%5' 조건에 맞는 처방이 없습니다.")
                            .arg(s.view, dateText(k.date))
                            .arg(rows.size())
                            .arg(key.name, key.value->trimmed())});
        }
        return;
    }
    // Every key leaves rows, yet nothing came: the gateway matched on something
    // else, most often the character set the device asked with.
    if (!k.characterSet.isEmpty()) {
        out.append(
            {Severity::Error, QStringLiteral("filtered"),
             QStringLiteral("View %1에는 이 조회에 맞는 처방이 %2건 있지만 게이트웨이가 0건을 보냈습니다: "
                            "게이트웨이가 장비의 Character Set '%3'을 조건으로 써서 View의 %4 처방을 걸렀습니다.")
                 .arg(s.view)
                 .arg(left.size())
                 .arg(k.characterSet, quotedList(distinct(left, &ViewRow::characterSet)))});
    } else {
        out.append({Severity::Error, QStringLiteral("filtered"),
                    QStringLiteral("View %1에는 이 조회에 맞는 처방이 %2건 있지만 게이트웨이가 0건을 보냈습니다: "
                                   "게이트웨이가 다른 View를 읽고 있을 수 있습니다. 서비스를 다시 시작하십시오.")
                        .arg(s.view)
                        .arg(left.size())});
    }
}

} // namespace

bool matchesText(const QString &value, const QString &key)
{
    if (matchesAll(key))
        return true;
    const QString pattern = key.trimmed();
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')))
        return value.trimmed() == pattern;
    return gateway::matchesWildcard(value.trimmed(), pattern, Qt::CaseSensitive);
}

bool matchesDate(const QString &value, const QString &key)
{
    if (matchesAll(key))
        return true;
    const QString k = key.trimmed();
    const QString v = value.trimmed();
    const qsizetype dash = k.indexOf(QLatin1Char('-'));
    if (dash < 0)
        return v == k;
    const QString from = k.left(dash).trimmed();
    const QString to = k.mid(dash + 1).trimmed();
    return (from.isEmpty() || v >= from) && (to.isEmpty() || v <= to);
}

QList<ViewRow> matchingRows(const QList<ViewRow> &rows, const QueryKeys &keys)
{
    QList<ViewRow> out;
    for (const ViewRow &r : rows) {
        if (matchesDate(r.date, keys.date) && matchesText(r.modality, keys.modality) &&
            matchesText(r.stationAeTitle, keys.stationAeTitle) && matchesText(r.patientId, keys.patientId) &&
            matchesText(r.patientName, keys.patientName))
            out.append(r);
    }
    return out;
}

QList<Finding> findings(const Situation &s)
{
    QList<Finding> out;
    if (!s.controlFileFound) {
        out.append({Severity::Error, QStringLiteral("no-control-file"),
                    QStringLiteral("게이트웨이의 설정 파일 ZORadoDidServiceControl.ini를 찾지 못했습니다: 게이트웨이는 "
                                   "시작하지 않고 장비를 받지 않습니다. ZORadoDidServiceControl.exe로 설정 파일을 "
                                   "만드십시오.")});
    } else if (!s.controlFileRefused.isEmpty()) {
        out.append({Severity::Error, QStringLiteral("control-file-refused"),
                    QStringLiteral("%1. 게이트웨이는 이 설정 파일로는 시작하지 않고 장비를 받지 않습니다: 설정 파일을 "
                                   "고친 뒤 워크리스트 서비스(KALDEN1)를 다시 시작하십시오.")
                        .arg(s.controlFileRefused)});
    } else if (s.registeredView && s.registeredView->isEmpty()) {
        out.append({Severity::Error, QStringLiteral("entry-unreadable"),
                    QStringLiteral("설정 파일에 있는 '%1' 장비의 항목을 게이트웨이가 읽지 못해 이 장비의 연결을 "
                                   "거부합니다: ZORadoDidServiceControl.ini에서 '%1'의 항목(AE^^VIEW^^^^||)을 "
                                   "고치십시오.")
                        .arg(s.aeTitle)});
    } else if (!s.registeredView) {
        out.append({Severity::Warning, QStringLiteral("not-registered"),
                    QStringLiteral("'%1' 장비는 설정 파일에 등록되어 있지 않아 기본 View VMWL의 처방을 받습니다: 장비 "
                                   "전용 View가 필요하면 AE Title '%1'(대소문자 그대로)로 DB 등록하십시오.")
                        .arg(s.aeTitle)});
    }
    // A gateway that does not start cannot answer: that is said above.
    if (s.controlFileFound && s.controlFileRefused.isEmpty())
        failureFindings(s, out);
    if (!s.rows) {
        out.append({Severity::Warning, QStringLiteral("view-unreadable"),
                    QStringLiteral("View %1을(를) 읽지 못해 처방과 비교하지 못했습니다: %2").arg(s.view, s.rowsError)});
    }
    // A key the device's set cannot write goes as "?", which matches any character.
    const QList<QPair<QString, QString>> textKeys = {{QStringLiteral("PatientName"), s.keys.patientName},
                                                     {QStringLiteral("PatientID"), s.keys.patientId}};
    for (const auto &[name, value] : textKeys) {
        if (!value.isEmpty() && !fits(value, s.keys.characterSet))
            out.append(
                {Severity::Error, QStringLiteral("key-unfit"),
                 QStringLiteral("조회 키 %1 '%2'은(는) 장비의 Character Set '%3'로 쓸 수 없어 '?'(아무 한 "
                                "글자)로 보내집니다: %4.")
                     .arg(name, value, s.keys.characterSet.isEmpty() ? QStringLiteral("(없음)") : s.keys.characterSet,
                          charsetRemedy(value, s.keys.characterSet, true))});
    }
    const bool answered = s.answer.outcome == Outcome::Answered || s.answer.outcome == Outcome::Cancelled;
    if (!answered)
        return out;

    const QList<ViewRow> rows = s.rows.value_or(QList<ViewRow>());
    const QList<ViewRow> expected = matchingRows(rows, s.keys);
    if (s.rows && s.answer.items.isEmpty() && s.answer.outcome == Outcome::Answered)
        filterFindings(s, rows, out);
    else if (s.rows && s.answer.outcome == Outcome::Answered && s.answer.items.size() < expected.size())
        out.append({Severity::Warning, QStringLiteral("fewer-items"),
                    QStringLiteral("View %1에는 이 조회에 맞는 처방이 %2건 있지만 게이트웨이는 %3건만 보냈습니다.")
                        .arg(s.view)
                        .arg(expected.size())
                        .arg(s.answer.items.size())});

    // Texts the item's character set cannot hold reach the device as "?".
    QSet<QString> unfit;
    auto checkText = [&](const QString &what, const QString &text, const QString &cs) {
        if (text.isEmpty() || fits(text, cs) || unfit.contains(text))
            return;
        unfit.insert(text);
        if (unfit.size() > 3)
            return;
        const QString remedy = charsetRemedy(text, cs);
        out.append({Severity::Error, QStringLiteral("charset-unfit"),
                    QStringLiteral("%1 '%2'은(는) View의 Character Set '%3'로 쓸 수 없어 장비에는 '?'로 보입니다: %4.")
                        .arg(what, text, cs, remedy)});
    };
    for (const ViewRow &r : expected) {
        checkText(QStringLiteral("환자 이름"), r.patientName.section(QLatin1Char('='), -1), r.characterSet);
        checkText(QStringLiteral("의뢰 의사 이름"), r.referringPhysician, r.characterSet);
        checkText(QStringLiteral("검사 이름"), r.scheduledDescription, r.characterSet);
        checkText(QStringLiteral("검사 이름"), r.requestedDescription, r.characterSet);
    }

    QSet<QString> reported;
    for (qsizetype i = 0; i < s.answer.items.size(); ++i) {
        for (const QString &attribute : s.answer.items.at(i).emptyRequired) {
            if (reported.contains(attribute))
                continue;
            reported.insert(attribute);
            out.append({Severity::Error, QStringLiteral("empty-required"),
                        QStringLiteral("%1번째 항목의 %2이(가) 비어 있습니다: 장비가 이 항목을 받지 않을 수 있습니다. "
                                       "View %3에서 이 값을 채우는 열을 확인하십시오.")
                            .arg(i + 1)
                            .arg(attribute, s.view)});
        }
    }

    // The set the device reads its answer in against the set it asked with.
    const QString asked = normalizedSet(s.keys.characterSet);
    if (!asked.isEmpty()) {
        QStringList answeredIn;
        for (const Item &item : s.answer.items) {
            const QString cs = normalizedSet(item.characterSet);
            if (!answeredIn.contains(cs))
                answeredIn.append(cs);
        }
        if (s.answer.items.isEmpty()) {
            for (const ViewRow &r : expected) {
                const QString cs = normalizedSet(r.characterSet);
                if (!answeredIn.contains(cs))
                    answeredIn.append(cs);
            }
        }
        answeredIn.removeAll(asked);
        if (!answeredIn.isEmpty())
            out.append(
                {Severity::Warning, QStringLiteral("charset-differs"),
                 QStringLiteral("장비는 Character Set '%1'로 조회했는데 View %2는 %3로 답합니다: 장비가 그 문자셋을 "
                                "읽지 못하면 이름이 깨집니다. Character_set을 장비의 설정과 맞추십시오.")
                     .arg(s.keys.characterSet, s.view, quotedList(answeredIn))});
    }
    return out;
}

bool hasError(const QList<Finding> &findings)
{
    for (const Finding &f : findings) {
        if (f.severity == Severity::Error)
            return true;
    }
    return false;
}

} // namespace devicequery
