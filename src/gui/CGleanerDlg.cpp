#include "CGleanerDlg.h"

#include "AppIcon.h"
#include "CComboBox2.h"
#include "CMyGridCtrl.h"
#include "CSplashScreenEx.h"
#include "Clipboard.h"
#include "DialogUnits.h"

#include "download/DownloadRun.h"
#include "listing/ListRun.h"
#include "model/SavePathRule.h"
#include "model/SiteRecognition.h"
#include "window/AlbumGridSetup.h"
#include "window/ControlIds.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("晴岚LOFTER插画收集器");
const QString kNotice =
    QStringLiteral("提示：粘贴或输入LOFTER博客地址，点“获取相册”，选好相册后点“下载”。");
const QString kMakersLink = QStringLiteral("gleaner · 关于与联系");
const QString kCookieFileName = QStringLiteral("cookies.txt");

QString LinkHtml(const QString &text)
{
    return QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped());
}

bool IsLink(const QLabel *label)
{
    return label->property("gleanerLink").toBool();
}

} // namespace

CGleanerDlg::CGleanerDlg(const QString &programFolder, QWidget *parent)
    : QDialog(parent), router_(this),
      state_(programFolder, QDir(programFolder).filePath(kCookieFileName)),
      documentsFolder_(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)),
      icon_(MakeAppIcon()), srvInfo_(CSrvInfo::BaseAddressesFromEnvironment(), &state_.cookies)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(icon_);
    setAcceptDrops(true);
    BuildControls();
    listRun_ = std::make_unique<ListRun>(state_, *this);
    downloadRun_ = std::make_unique<DownloadRun>(state_, *this);
}

CGleanerDlg::~CGleanerDlg()
{
    Shutdown();
}

void CGleanerDlg::BuildControls()
{
    // The dialog font: the application's font at 9 points, as the dialog template's
    // "MS Shell Dlg" 8 is on a Chinese system.
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    const DialogUnits du(dialogFont);

    menuBar_ = new QMenuBar(this);
    BuildMenu();
    const int menuHeight = menuBar_->sizeHint().height();
    client_ = new QWidget(this);
    const QSize clientSize = du.ToPixels(471, 323);
    client_->setGeometry(0, menuHeight, clientSize.width(), clientSize.height());
    menuBar_->setGeometry(0, 0, clientSize.width(), menuHeight);
    setFixedSize(clientSize.width(), clientSize.height() + menuHeight);

    auto place = [&](QWidget *widget, int id, int x, int y, int w, int h) {
        widget->setGeometry(du.ToPixels(x, y, w, h));
        if (id > 0) {
            widget->setObjectName(QString::number(id));
            controls_.insert(id, widget);
        }
    };
    auto label = [&](int id, const QString &text, int x, int y, int w, int h) {
        auto *widget = new QLabel(text, client_);
        widget->setTextFormat(Qt::PlainText);
        place(widget, id, x, y, w, h);
        return widget;
    };
    auto link = [&](int id, const QString &text, int x, int y, int w, int h) {
        auto *widget = new QLabel(LinkHtml(text), client_);
        widget->setProperty("gleanerLink", true);
        widget->setTextFormat(Qt::RichText);
        widget->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        widget->setAccessibleName(text);
        place(widget, id, x, y, w, h);
        return widget;
    };
    auto button = [&](int id, const QString &text, int x, int y, int w, int h) {
        auto *widget = new QPushButton(text, client_);
        widget->setAutoDefault(false);
        place(widget, id, x, y, w, h);
        return widget;
    };

    // Creation order is the tab and stacking order of the template.
    frame_ = new QGroupBox(QStringLiteral("相册列表"), client_);
    place(frame_, IDC_ALBUM_FRAME, 3, 52, 465, 246);
    albumStatus_ = label(IDC_ALBUM_STATUS, QStringLiteral("state1"), 12, 1, 99, 11);
    albumStatus_->setAccessibleName(QStringLiteral("相册进度"));
    picStatus_ = label(IDC_PIC_STATUS, QStringLiteral("state2"), 119, 1, 269, 11);
    picStatus_->setAccessibleName(QStringLiteral("图片进度"));
    notice_ = label(IDC_NOTICE, QString(), 7, 1, 381, 16);
    notice_->setAutoFillBackground(true); // covers the status lines until the first list run
    notice_->setAccessibleName(QStringLiteral("提示"));

    site_ = new QComboBox(client_);
    site_->setAccessibleName(QStringLiteral("网站"));
    place(site_, IDC_SITE, 7, 20, 70, 12);
    subKind_ = new QComboBox(client_);
    subKind_->setAccessibleName(QStringLiteral("类别"));
    place(subKind_, IDC_SUB_KIND, 79, 20, 53, 12);
    address_ = new CComboBox2(client_);
    address_->setAccessibleName(QStringLiteral("博客地址"));
    place(address_, IDC_ADDRESS, 134, 20, 252, 12);
    getList_ = button(IDC_GET_LIST, QStringLiteral("获取相册"), 389, 19, 36, 13);
    getList_->setDefault(true);
    download_ = button(IDC_DOWNLOAD, QStringLiteral("下载"), 430, 19, 36, 13);
    download_->setEnabled(false);

    auto *pathLabel = label(0, QStringLiteral("保存路径:"), 7, 40, 31, 10);
    savePath_ = new CComboBox2(client_);
    savePath_->setAccessibleName(QStringLiteral("保存路径"));
    pathLabel->setBuddy(savePath_);
    place(savePath_, IDC_SAVE_PATH, 40, 38, 346, 12);
    setPath_ = button(IDC_SET_PATH, QStringLiteral("设置"), 389, 38, 36, 13);
    openPath_ = button(IDC_OPEN_PATH, QStringLiteral("打开"), 430, 38, 36, 13);

    link(IDC_EXPORT_LINK, QStringLiteral("导出"), 316, 53, 21, 8);
    link(IDC_FILTER_LINK, QStringLiteral("筛选"), 346, 53, 21, 8);
    link(IDC_FIND_LINK, QStringLiteral("查找"), 376, 53, 21, 8);
    // A check box's indicator takes more room here than on Windows: a box whose text would be
    // cut grows to its natural width, up to `right` (dialog units).
    auto checkBox = [&](int id, const QString &text, int x, int y, int w, int h, int right) {
        auto *widget = new QCheckBox(text, client_);
        place(widget, id, x, y, w, h);
        const int natural = widget->sizeHint().width();
        if (natural > widget->width())
            widget->resize(std::min(natural, du.X(right) - widget->x()), widget->height());
        return widget;
    };
    thumbs_ = checkBox(IDC_THUMBNAILS, QStringLiteral("预览图"), 402, 53, 32, 10, 440);
    selectAll_ = checkBox(IDC_SELECT_ALL, QStringLiteral("全选"), 441, 53, 23, 10, 470);

    grid_ = new CMyGridCtrl(router_, client_);
    grid_->setAccessibleName(QStringLiteral("相册列表"));
    place(grid_, IDC_GRID, 6, 64, 459, 231);

    auto *service = label(IDC_SERVICE_STATUS, QString(), 4, 301, 265, 8);
    service->setAccessibleName(QStringLiteral("服务状态"));
    updateLink_ = link(IDC_UPDATE_LINK, QStringLiteral("程序有更新"), 273, 300, 35, 9);
    updateLink_->hide();
    auto *makers = link(IDC_MAKERS_LINK, kMakersLink, 315, 300, 152, 9);
    makers->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    notice_->raise();

    connect(getList_, &QPushButton::clicked, this, &CGleanerDlg::OnGetList);
    connect(download_, &QPushButton::clicked, this, &CGleanerDlg::OnDownload);
    connect(setPath_, &QPushButton::clicked, this, &CGleanerDlg::OnSetPath);
    connect(openPath_, &QPushButton::clicked, this, &CGleanerDlg::OnOpenPath);
    connect(selectAll_, &QCheckBox::clicked, this, &CGleanerDlg::OnSelectAll);
    connect(makers, &QLabel::linkActivated, this, &CGleanerDlg::ShowAbout);
    connect(updateLink_, &QLabel::linkActivated, this, [this] {
        const QString page = srvInfo_.GetEntry(CSrvInfo::ENTRY_UPDATE_PAGE);
        if (page.startsWith(QLatin1String("http://")) || page.startsWith(QLatin1String("https://")))
            OpenPage(QUrl(page));
    });
    connect(site_, &QComboBox::currentIndexChanged, this, &CGleanerDlg::OnSiteChange);
    connect(address_, &QComboBox::editTextChanged, this, &CGleanerDlg::OnAddressChange);
    connect(address_, &QComboBox::activated, this, &CGleanerDlg::OnAddressSelect);
}

void CGleanerDlg::BuildMenu()
{
    // The menu commands come with the options; "关于" stands where the system menu had it.
    QMenu *help = menuBar_->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(QStringLiteral("关于(&A)"), this, &CGleanerDlg::ShowAbout);
}

void CGleanerDlg::ShowAbout()
{
    if (recordMessages_) {
        messages_.append(QStringLiteral("about"));
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("关于"),
                    QStringLiteral("%1\n版本 %2\n\n收集LOFTER博客中的图片。")
                        .arg(kCaption, QStringLiteral(GLEANER_VERSION)),
                    QMessageBox::Ok, this);
    box.setIconPixmap(icon_.pixmap(48, 48));
    box.exec();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void CGleanerDlg::OnInitDialog()
{
    setWindowTitle(kCaption);
    notice_->setText(kNotice);
    RebuildAlbumGrid(*this, state_.View());

    const QString clip = GetClipboardText().trimmed();
    if (!clip.isEmpty() && clip.size() < 200)
        address_->setEditText(clip);

    const QString proposed = ProposeSavePath(state_.ProgramFolder(), documentsFolder_, QString());
    if (IsTemporaryProgramFolder(state_.ProgramFolder()))
        QDir().mkdir(proposed); // one level; a failure still shows the path
    savePath_->setEditText(proposed);

    state_.settings.LoadSettings();
    for (const QString &text : state_.settings.History(HISTORY_ADDRESS))
        address_->AppendHistory(text);
    for (const QString &text : state_.settings.History(HISTORY_SAVE_PATH))
        savePath_->AppendHistory(text);
    const QString remembered = state_.settings.HistoryEntry(HISTORY_SAVE_PATH, 0);
    if (!remembered.isEmpty())
        savePath_->setEditText(remembered);

    if (startupHook_)
        startupHook_(*this);
    else
        OnStartupDone();
}

void CGleanerDlg::OnStartupDone()
{
    state_.siteKind.store(SITE_KIND_LOFTER);
    show();
    ready_.store(true);
}

void CGleanerDlg::RunStartup(bool withSplash)
{
    if (withSplash) {
        splash_ = new CSplashScreenEx;
        splash_->setAttribute(Qt::WA_DeleteOnClose);
        connect(splash_, &CSplashScreenEx::EscapePressed, qApp, [] { QCoreApplication::exit(0); });
        connect(splash_, &CSplashScreenEx::FadedOut, splash_, &QObject::deleteLater);
        splash_->ShowSplash();
    }
    startupTask_ = std::make_unique<StartupTask>(srvInfo_, SiteRecognition::BuiltInSiteNames());
    connect(startupTask_.get(), &StartupTask::WM_STARTUP_DONE, this, &CGleanerDlg::OnStartupResult);
    startupTask_->Start();
}

void CGleanerDlg::OnStartupResult(const StartupResult &result)
{
    if (shutDown_.load())
        return;
    if (splash_)
        splash_->FadeOut();
    {
        const QSignalBlocker blocker(site_);
        site_->clear();
        site_->addItems(result.siteNames);
        site_->setCurrentIndex(SITE_KIND_LOFTER);
    }
    OnStartupDone();
    OnAddressChange();
    OnSiteChange();
    if (result.verdict.kind == UpdateVerdict::Newer) {
        updateLink_->show();
        MessageBox(UpdateCheck::NewerMessage(result.verdict));
        OpenPage(QUrl(result.verdict.updatePage));
        QTimer::singleShot(UpdateCheck::kExitDelayMs, qApp, [] { QCoreApplication::exit(0); });
    } else {
        SetTextOf(IDC_SERVICE_STATUS, result.statusText);
    }
}

void CGleanerDlg::OpenPage(const QUrl &page)
{
    if (pageOpener_)
        pageOpener_(page);
    else
        QDesktopServices::openUrl(page);
}

void CGleanerDlg::OnSiteChange()
{
    const bool shown = SiteRecognition::SubKindShown(site_->currentIndex());
    if (shown && subKind_->count() == 0) {
        subKind_->addItems(SiteRecognition::SubKindNames());
        subKind_->setCurrentIndex(0);
    }
    subKind_->setVisible(shown);
    address_->setGeometry(
        SiteRecognition::AddressBoxRect(address_->geometry(), subKind_->geometry(), shown));
}

void CGleanerDlg::OnAddressChange()
{
    const auto decision = SiteRecognition::DecideAddress(address_->currentText(),
                                                         site_->currentIndex(), site_->count());
    if (!decision.applies)
        return;
    {
        const QSignalBlocker blocker(site_);
        site_->setCurrentIndex(decision.siteSelection);
    }
    OnSiteChange();
    if (decision.subKindShown)
        subKind_->setCurrentIndex(decision.subKindItem);
}

void CGleanerDlg::OnAddressSelect(int pickedIndex)
{
    const QString text = SiteRecognition::TextAfterSelect(
        pickedIndex, pickedIndex >= 0 ? address_->itemText(pickedIndex) : QString(),
        address_->currentText());
    if (text != address_->currentText())
        address_->setEditText(text);
    OnAddressChange();
}

// ---------------------------------------------------------------------------------------------
// Commands

void CGleanerDlg::OnGetList()
{
    if (!ready_.load() || shutDown_.load())
        return;
    if (state_.listState.load() != LIST_IDLE) {
        listRun_->RequestStop();
        return;
    }
    listRun_->Start();
}

void CGleanerDlg::OnDownload()
{
    if (!ready_.load() || shutDown_.load())
        return;
    if (state_.downState.load() != DOWN_IDLE) {
        downloadRun_->RequestStop();
        return;
    }
    downloadRun_->Start();
}

void CGleanerDlg::OnSetPath()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("请选择文件保存目录："), QString(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    AcceptSavePath(chosen);
}

void CGleanerDlg::OnOpenPath()
{
    const QString path = downloadRun_->WorkersActive() ? downloadRun_->CurrentAlbumFolder()
                                                       : savePath_->currentText();
    if (!path.isEmpty())
        OpenFolder(path);
}

void CGleanerDlg::OnSelectAll(bool checked)
{
    if (checked)
        grid_->SelectAll();
    else
        grid_->ClearSelection();
}

QString CGleanerDlg::SavePathFromDrop(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void CGleanerDlg::AcceptSavePath(const QString &path)
{
    QString folder = path;
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    savePath_->setEditText(folder);
    if (AddHistory(HISTORY_SAVE_PATH, folder))
        savePath_->AppendHistory(folder);
}

bool CGleanerDlg::AddHistory(int kind, const QString &text)
{
    if (!state_.settings.AddHistory(kind, text))
        return false;
    state_.settings.SaveSettings();
    return true;
}

bool CGleanerDlg::IsListFinished() const
{
    return listRun_->IsFinished();
}

bool CGleanerDlg::IsDownloadFinished() const
{
    return downloadRun_->IsFinished();
}

void CGleanerDlg::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void CGleanerDlg::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile())
        return;
    const QString folder = SavePathFromDrop(mime->urls().first().toLocalFile());
    if (!folder.isEmpty())
        AcceptSavePath(folder);
    event->acceptProposedAction();
}

// ---------------------------------------------------------------------------------------------
// Closing

void CGleanerDlg::Shutdown()
{
    if (shutDown_.exchange(true))
        return;
    {
        std::lock_guard lock(snapMutex_);
        for (auto it = controls_.cbegin(); it != controls_.cend(); ++it)
            snapshots_.insert(it.key(), SnapshotOf(it.key()));
    }
    router_.BeginClosing();
    if (startupTask_)
        startupTask_->Stop();
    listRun_->RequestStop();
    downloadRun_->RequestStop();
    listRun_->Wait();
    downloadRun_->Wait();
}

void CGleanerDlg::closeEvent(QCloseEvent *event)
{
    Shutdown();
    QDialog::closeEvent(event);
}

void CGleanerDlg::done(int result)
{
    Shutdown();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// WindowPort

QString CGleanerDlg::TextOf(int id) const
{
    QWidget *widget = controls_.value(id);
    if (auto *label = qobject_cast<QLabel *>(widget))
        return IsLink(label) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                             : label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return group->title();
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    if (widget == grid_)
        return QStringLiteral("GridCtrl");
    return {};
}

void CGleanerDlg::SetTextOf(int id, const QString &text)
{
    QWidget *widget = controls_.value(id);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(IsLink(label) ? LinkHtml(text) : text);
        if (IsLink(label))
            label->setAccessibleName(text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        button->setText(text);
    } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
        group->setTitle(text);
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentText(text);
    }
}

CGleanerDlg::Snapshot CGleanerDlg::SnapshotOf(int id) const
{
    Snapshot snap;
    QWidget *widget = controls_.value(id);
    if (!widget)
        return snap;
    snap.text = TextOf(id);
    snap.enabled = widget->isEnabled();
    snap.shown = !widget->isHidden();
    if (auto *box = qobject_cast<QCheckBox *>(widget))
        snap.checked = box->isChecked();
    if (auto *combo = qobject_cast<CComboBox2 *>(widget))
        snap.history = combo->History();
    return snap;
}

CGleanerDlg::Snapshot CGleanerDlg::Snap(int id) const
{
    std::lock_guard lock(snapMutex_);
    return snapshots_.value(id);
}

template <typename R> std::optional<R> CGleanerDlg::Port(std::function<R()> work)
{
    if (router_.IsClosing())
        return std::nullopt;
    return router_.Call<R>(std::move(work));
}

bool CGleanerDlg::PortRun(std::function<void()> work)
{
    if (router_.IsClosing())
        return false;
    return router_.Run(std::move(work));
}

template <typename F> void CGleanerDlg::UpdateSnap(int id, F change)
{
    std::lock_guard lock(snapMutex_);
    change(snapshots_[id]);
}

QString CGleanerDlg::ControlText(int id)
{
    if (auto text = Port<QString>([this, id] { return TextOf(id); }))
        return *text;
    return Snap(id).text;
}

void CGleanerDlg::SetControlText(int id, const QString &text)
{
    if (!PortRun([this, id, text] { SetTextOf(id, text); }))
        UpdateSnap(id, [&](Snapshot &s) { s.text = text; });
}

bool CGleanerDlg::IsControlEnabled(int id)
{
    if (auto on = Port<bool>([this, id] {
            QWidget *widget = controls_.value(id);
            return widget ? widget->isEnabled() : true;
        }))
        return *on;
    return Snap(id).enabled;
}

void CGleanerDlg::EnableControl(int id, bool enabled)
{
    if (!PortRun([this, id, enabled] {
            if (QWidget *widget = controls_.value(id))
                widget->setEnabled(enabled);
        }))
        UpdateSnap(id, [&](Snapshot &s) { s.enabled = enabled; });
}

bool CGleanerDlg::IsControlShown(int id)
{
    if (auto on = Port<bool>([this, id] {
            QWidget *widget = controls_.value(id);
            return widget ? !widget->isHidden() : true;
        }))
        return *on;
    return Snap(id).shown;
}

void CGleanerDlg::ShowControl(int id, bool shown)
{
    if (!PortRun([this, id, shown] {
            if (QWidget *widget = controls_.value(id))
                widget->setVisible(shown);
        }))
        UpdateSnap(id, [&](Snapshot &s) { s.shown = shown; });
}

bool CGleanerDlg::IsChecked(int id)
{
    if (auto on = Port<bool>([this, id] {
            auto *box = qobject_cast<QCheckBox *>(controls_.value(id));
            return box && box->isChecked();
        }))
        return *on;
    return Snap(id).checked;
}

void CGleanerDlg::SetChecked(int id, bool checked)
{
    if (!PortRun([this, id, checked] {
            if (auto *box = qobject_cast<QCheckBox *>(controls_.value(id)))
                box->setChecked(checked);
        }))
        UpdateSnap(id, [&](Snapshot &s) { s.checked = checked; });
}

void CGleanerDlg::AppendHistory(int id, const QString &text)
{
    if (!PortRun([this, id, text] {
            if (auto *combo = qobject_cast<CComboBox2 *>(controls_.value(id)))
                combo->AppendHistory(text);
        }))
        UpdateSnap(id, [&](Snapshot &s) { s.history.append(text); });
}

QStringList CGleanerDlg::History(int id)
{
    if (auto list = Port<QStringList>([this, id] {
            auto *combo = qobject_cast<CComboBox2 *>(controls_.value(id));
            return combo ? combo->History() : QStringList();
        }))
        return *list;
    return Snap(id).history;
}

void CGleanerDlg::MessageBox(const QString &text)
{
    PortRun([this, text] {
        if (recordMessages_ || shutDown_.load()) {
            messages_.append(text);
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok, this);
        box.exec();
    });
}

GridOps &CGleanerDlg::Grid()
{
    return *grid_;
}

void CGleanerDlg::OpenFolder(const QString &path)
{
    PortRun([this, path] {
        if (shutDown_.load())
            return;
        if (folderOpener_)
            folderOpener_(path);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    });
}

void CGleanerDlg::PicturesDone(int seconds, int jobCount)
{
    // A notice of the picture manager; the window keeps no per-album figures.
    Q_UNUSED(seconds);
    Q_UNUSED(jobCount);
}
