#include "window/HeadlessWindow.h"

#include "window/ControlIds.h"

namespace {

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString Line(const char *verb, int id)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(verb)).arg(id);
}

} // namespace

HeadlessWindow::HeadlessWindow()
{
    // The window as its template builds it.
    controls_[IDC_ALBUM_STATUS].text = QStringLiteral("state1");
    controls_[IDC_PIC_STATUS].text = QStringLiteral("state2");
    controls_[IDC_GET_LIST].text = QStringLiteral("获取相册");
    controls_[IDC_DOWNLOAD].text = QStringLiteral("下载");
    controls_[IDC_DOWNLOAD].enabled = false;
    controls_[IDC_SET_PATH].text = QStringLiteral("设置");
    controls_[IDC_OPEN_PATH].text = QStringLiteral("打开");
    controls_[IDC_ALBUM_FRAME].text = QStringLiteral("相册列表");
    controls_[IDC_EXPORT_LINK].text = QStringLiteral("导出");
    controls_[IDC_FILTER_LINK].text = QStringLiteral("筛选");
    controls_[IDC_FIND_LINK].text = QStringLiteral("查找");
    controls_[IDC_THUMBNAILS].text = QStringLiteral("预览图");
    controls_[IDC_SELECT_ALL].text = QStringLiteral("全选");
    controls_[IDC_UPDATE_LINK].text = QStringLiteral("程序有更新");
    controls_[IDC_UPDATE_LINK].shown = false;
}

QString HeadlessWindow::ControlText(int id)
{
    std::lock_guard lock(mutex_);
    OnCall(Line("get-text", id));
    return controls_.value(id).text;
}

void HeadlessWindow::SetControlText(int id, const QString &text)
{
    std::lock_guard lock(mutex_);
    controls_[id].text = text;
    OnCall(Line("text", id) + QLatin1Char(' ') + text);
}

bool HeadlessWindow::ReadFlag(int id, bool Control::*member, const char *verb)
{
    std::lock_guard lock(mutex_);
    OnCall(Line(verb, id));
    return controls_.value(id).*member;
}

void HeadlessWindow::WriteFlag(int id, bool Control::*member, bool value, const char *verb)
{
    std::lock_guard lock(mutex_);
    controls_[id].*member = value;
    OnCall(Line(verb, id) + QLatin1Char(' ') + Flag(value));
}

bool HeadlessWindow::IsControlEnabled(int id)
{
    return ReadFlag(id, &Control::enabled, "get-enable");
}

void HeadlessWindow::EnableControl(int id, bool enabled)
{
    WriteFlag(id, &Control::enabled, enabled, "enable");
}

bool HeadlessWindow::IsControlShown(int id)
{
    return ReadFlag(id, &Control::shown, "get-show");
}

void HeadlessWindow::ShowControl(int id, bool shown)
{
    WriteFlag(id, &Control::shown, shown, "show");
}

bool HeadlessWindow::IsChecked(int id)
{
    return ReadFlag(id, &Control::checked, "get-check");
}

void HeadlessWindow::SetChecked(int id, bool checked)
{
    WriteFlag(id, &Control::checked, checked, "check");
}

void HeadlessWindow::AppendHistory(int id, const QString &text)
{
    std::lock_guard lock(mutex_);
    controls_[id].history.append(text);
    OnCall(Line("history", id) + QLatin1Char(' ') + text);
}

QStringList HeadlessWindow::History(int id)
{
    std::lock_guard lock(mutex_);
    OnCall(Line("get-history", id));
    return controls_.value(id).history;
}

void HeadlessWindow::MessageBox(const QString &text)
{
    {
        std::lock_guard lock(mutex_);
        messages_.append(text);
        OnCall(QStringLiteral("message ") + text);
    }
    OnMessage(text);
}

MemoryGrid &HeadlessWindow::Grid()
{
    return grid_;
}

void HeadlessWindow::OpenFolder(const QString &path)
{
    std::lock_guard lock(mutex_);
    OnCall(QStringLiteral("open-folder ") + path);
}

void HeadlessWindow::PicturesDone(int seconds, int jobCount)
{
    std::lock_guard lock(mutex_);
    OnCall(QStringLiteral("pics-done %1 %2").arg(seconds).arg(jobCount));
}

QStringList HeadlessWindow::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

void HeadlessWindow::OnCall(const QString &) {}

void HeadlessWindow::OnMessage(const QString &) {}
