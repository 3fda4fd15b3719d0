// The main window as it stands after start-up: every control at its place with its id, text,
// enabled and shown state, the caption, the icon, accessible names, and the dialog-unit
// conversion.

#include "CComboBox2.h"
#include "CMyGridCtrl.h"
#include "DialogUnits.h"
#include "GuiHarness.h"
#include "QtPrint.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace {

using guitest::GuiHarness;

struct ControlCase {
    int id;
    const char *type; // class name of the widget
    QString text;     // ControlText
    bool enabled;
    bool shown;
    int x, y, w, h; // dialog units (h of drop-downs: the edit part, 12)
};

TEST(MainWindowLayout, EveryControlStandsAtItsPlaceWithItsInitialState)
{
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("晴岚LOFTER插画收集器"));
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.IsReady());

    const QWidget *frame = w.Control(IDC_ALBUM_FRAME);
    ASSERT_NE(frame, nullptr);
    const DialogUnits du(frame->parentWidget()->font());
    const std::vector<ControlCase> cases = {
        {IDC_ALBUM_STATUS, "QLabel", "state1", true, true, 12, 1, 99, 11},
        {IDC_PIC_STATUS, "QLabel", "state2", true, true, 119, 1, 269, 11},
        {IDC_NOTICE, "QLabel", QString(), true, true, 7, 1, 381, 16},
        {IDC_SITE, "QComboBox", "", true, true, 7, 20, 70, 12},
        {IDC_SUB_KIND, "QComboBox", "", true, true, 79, 20, 53, 12},
        {IDC_GET_LIST, "QPushButton", "获取相册", true, true, 389, 19, 36, 13},
        {IDC_DOWNLOAD, "QPushButton", "下载", false, true, 430, 19, 36, 13},
        {IDC_SAVE_PATH, "CComboBox2", QString(), true, true, 40, 38, 346, 12},
        {IDC_SET_PATH, "QPushButton", "设置", true, true, 389, 38, 36, 13},
        {IDC_OPEN_PATH, "QPushButton", "打开", true, true, 430, 38, 36, 13},
        {IDC_ALBUM_FRAME, "QGroupBox", "相册列表", true, true, 3, 52, 465, 246},
        {IDC_EXPORT_LINK, "QLabel", "导出", true, true, 316, 53, 21, 8},
        {IDC_FILTER_LINK, "QLabel", "筛选", true, true, 346, 53, 21, 8},
        {IDC_FIND_LINK, "QLabel", "查找", true, true, 376, 53, 21, 8},
        {IDC_THUMBNAILS, "QCheckBox", "预览图", true, true, 402, 53, 32, 10},
        {IDC_SELECT_ALL, "QCheckBox", "全选", true, true, 441, 53, 23, 10},
        {IDC_GRID, "CMyGridCtrl", "GridCtrl", true, true, 6, 64, 459, 231},
        {IDC_SERVICE_STATUS, "QLabel", "", true, true, 4, 301, 265, 8},
        {IDC_UPDATE_LINK, "QLabel", "程序有更新", true, false, 273, 300, 35, 9},
        {IDC_MAKERS_LINK, "QLabel", QString(), true, true, 315, 300, 152, 9},
        {IDC_ADDRESS, "CComboBox2", QString(), true, true, 134, 20, 252, 12},
    };
    for (const ControlCase &c : cases) {
        SCOPED_TRACE(c.id);
        QWidget *widget = w.Control(c.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), QString::number(c.id));
        EXPECT_TRUE(widget->inherits(c.type)) << widget->metaObject()->className();
        if (!c.text.isNull()) {
            EXPECT_EQ(h.Text(c.id), c.text);
        }
        EXPECT_EQ(h.Enabled(c.id), c.enabled);
        EXPECT_EQ(w.IsControlShown(c.id), c.shown);
        const QRect place = du.ToPixels(c.x, c.y, c.w, c.h);
        if (widget->inherits("QCheckBox")) {
            // Grown to the natural width when the text would be cut, never past the next one.
            EXPECT_EQ(widget->pos(), place.topLeft());
            EXPECT_EQ(widget->height(), place.height());
            EXPECT_GE(widget->width(), place.width());
            EXPECT_LE(widget->geometry().right(), du.X(c.id == IDC_THUMBNAILS ? 440 : 470));
        } else {
            EXPECT_EQ(widget->geometry(), place);
        }
        // Qt takes a button's or a label's accessible name from its text; the others have one.
        if (!widget->inherits("QAbstractButton") && !widget->inherits("QGroupBox")) {
            EXPECT_FALSE(widget->accessibleName().isEmpty());
        }
    }
    EXPECT_FALSE(h.Text(IDC_NOTICE).isEmpty());
    EXPECT_FALSE(h.Text(IDC_MAKERS_LINK).isEmpty());
    EXPECT_EQ(w.Control(IDC_ADDRESS)->accessibleName(), QStringLiteral("博客地址"));
    EXPECT_EQ(w.Control(IDC_GRID)->accessibleName(), QStringLiteral("相册列表"));
    EXPECT_TRUE(qobject_cast<QPushButton *>(w.Control(IDC_GET_LIST))->isDefault());
    EXPECT_FALSE(qobject_cast<QPushButton *>(w.Control(IDC_DOWNLOAD))->autoDefault());
    // A fixed size: the client area of 471 × 323 units below the menu bar.
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(frame->parentWidget()->size(), du.ToPixels(471, 323));
    EXPECT_GE(w.height(), du.Y(323));
}

TEST(MainWindowLayout, GridIsSetUpAsTheListView)
{
    GuiHarness h;
    h.Init();
    CMyGridCtrl &grid = h.window->GridWidget();
    EXPECT_EQ(grid.FixedRowCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_TRUE(grid.IsListMode());
    const QStringList headers = {"序号", "名称", "数量", "备注", "", ""};
    const std::vector<int> widths = {50, 575, 50, 100, 0, 0};
    ASSERT_EQ(grid.ColumnCount(), 6);
    for (int col = 0; col < 6; ++col) {
        SCOPED_TRACE(col);
        EXPECT_EQ(grid.GetCellText(0, col), headers[col]);
        EXPECT_EQ(grid.model()->headerData(col, Qt::Horizontal).toString(), headers[col]);
        EXPECT_EQ(grid.ColumnWidth(col), widths[size_t(col)]);
        EXPECT_EQ(grid.isColumnHidden(col), widths[size_t(col)] == 0);
        if (widths[size_t(col)] > 0) {
            EXPECT_EQ(grid.columnWidth(col), widths[size_t(col)]);
        }
    }
    EXPECT_TRUE(grid.horizontalHeader()->isVisible());
    EXPECT_EQ(grid.DefaultCellMargin(), 8);
}

TEST(DialogUnits, ConvertAsWindowsDoes)
{
    // Base units 6 × 13 (the Windows default): 4 units are 6 pixels across, 8 are 13 down.
    const DialogUnits du(6, 13);
    EXPECT_EQ(du.X(4), 6);
    EXPECT_EQ(du.Y(8), 13);
    EXPECT_EQ(du.ToPixels(471, 323), QSize(707, 525)); // 706.5 and 524.9 rounded
    EXPECT_EQ(du.ToPixels(389, 19, 36, 13), QRect(584, 31, 54, 21));
    // From a font: the width is the rounded half of the alphabet's average advance.
    QFont font;
    font.setPixelSize(12);
    const DialogUnits fromFont(font);
    const QFontMetrics metrics(font);
    const int sum = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(fromFont.Base(), QSize((sum / 26 + 1) / 2, metrics.height()));
}

} // namespace
