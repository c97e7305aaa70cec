#include "gateway_control.h"

#include "gateway_config.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "platform/text_file.h"

#include <QFileInfo>

namespace worklist::gateway {

QString findControlFile(const platform::Paths &paths)
{
    for (const char16_t *path : {kControlFilePath1, kControlFilePath2}) {
        const QString local = paths.resolve(QString::fromUtf16(path));
        if (QFileInfo(local).isFile())
            return local;
    }
    return QString();
}

std::optional<QString> controlFileProblem(const QString &path,
                                          const std::function<QStringList(const QStringList &)> &rewrite)
{
    const QString text = platform::joinCrLf(rewrite(platform::readLines(path)));
    if (!platform::toAnsiExact(text)) {
        const QList<uint> points = text.toUcs4();
        for (const uint point : points) {
            const QString character = QString::fromUcs4(reinterpret_cast<const char32_t *>(&point), 1);
            if (!platform::toAnsiExact(character))
                return QStringLiteral("ZORadoDidServiceControl.ini에 '%1' 문자를 쓸 수 없습니다. 아무것도 바꾸지 "
                                      "않았습니다.")
                    .arg(character);
        }
    }
    const QFileInfo file(path);
    if (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("ZORadoDidServiceControl.ini 파일을 바꿀 수 없습니다(읽기 전용이거나 권한이 없습니다). "
                              "아무것도 바꾸지 않았습니다.");
    return std::nullopt;
}

void stopGateway(platform::CommandLauncher &commands)
{
    commands.start(QString::fromUtf16(kStopOlderGateway));
    commands.start(QString::fromUtf16(kStopGateway));
}

GatewayCheck startGateway(platform::CommandLauncher &commands, platform::Pause &pause, platform::GatewayProbe &probe,
                          const platform::Clock &clock, const std::optional<platform::GatewayAddress> &address)
{
    pause.sleep(kStartPauseMs);
    commands.start(QString::fromUtf16(kStartGateway));
    if (!address)
        return GatewayCheck::NotAsked;
    const qint64 started = clock.elapsedMilliseconds();
    for (int attempt = 0; attempt < kEchoTries; ++attempt) {
        if (probe.answers(*address))
            return GatewayCheck::Answered;
        if (attempt + 1 == kEchoTries || clock.elapsedMilliseconds() - started + kEchoPauseMs > kEchoWaitMs)
            break;
        pause.sleep(kEchoPauseMs);
    }
    return GatewayCheck::NoAnswer;
}

std::optional<platform::GatewayAddress> gatewayAddress(const Config &settings)
{
    if (!settings.portGiven)
        return std::nullopt;
    platform::GatewayAddress address;
    address.port = settings.port;
    if (!settings.bind.isEmpty() && settings.bind != QLatin1String("0.0.0.0"))
        address.host = settings.bind;
    address.aeTitle = settings.aeTitle;
    return address;
}

QString refusedWarning(const QString &refusal)
{
    return QStringLiteral("워크리스트 서비스를 다시 시작했지만 게이트웨이가 설정 파일을 받아들이지 않아 시작하지 "
                          "않습니다: %1. 설정 파일을 고친 뒤 서비스를 다시 시작하십시오.")
        .arg(refusal);
}

QString noAnswerWarning(const platform::GatewayAddress &address)
{
    return QStringLiteral("워크리스트 서비스를 다시 시작했지만 응답이 없습니다. 서비스 상태를 확인하십시오.\r\n"
                          "확인한 곳: %1:%2, AE Title %3")
        .arg(address.host)
        .arg(address.port)
        .arg(address.aeTitle);
}

} // namespace worklist::gateway
