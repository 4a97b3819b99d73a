#include "platform/Look.h"
#include "platform/Connection.h"
#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLayout>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QScrollBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QTranslator>

bool InstallChineseLook(QApplication& app)
{
    WidenComboLists(app);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    app.setFont(font);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    static QTranslator* qtTexts = nullptr;
    if (qtTexts) return true;
    auto* t = new QTranslator(&app);
    if (!t->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    qtTexts = t;
    return true;
}

void SetEditText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SetComboItems(QComboBox* combo, const QStringList& items)
{
    if (auto* m = qobject_cast<QStringListModel*>(combo->model())) {
        m->setStringList(items);
        return;
    }
    combo->setModel(new QStringListModel(items, combo));
}

namespace {

// A read-only list of texts held as their UTF-8 bytes in one block.
class Utf8ListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    QByteArray bytes;
    QVector<qsizetype> ends;   // row i is bytes[ends[i - 1], ends[i])

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(ends.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= ends.size() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        const qsizetype from = index.row() ? ends[index.row() - 1] : 0;
        return QString::fromUtf8(bytes.constData() + from, ends[index.row()] - from);
    }
};

} // namespace

void SetComboItemsFromRows(QComboBox* combo, TStatement& rows)
{
    auto* m = new Utf8ListModel(combo);
    while (rows.next()) {
        const QByteArrayView text = rows.textBytes(0);
        if (!text.isNull()) m->bytes.append(text);
        else if (const QVariant v = rows.value(0); !v.isNull()) m->bytes.append(v.toString().toUtf8());
        m->ends.append(m->bytes.size());
    }
    combo->setModel(m);
}

void CentreOnOwner(QWidget* window)
{
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect();
    // The client areas are placed, not the frames: a frame the window system has
    // not reported yet would move the first opening.
    QRect r(QPoint(0, 0), window->size());
    r.moveCenter(owner ? owner->geometry().center() : avail.center());
    if (avail.isValid()) {
        r.moveLeft(std::max(avail.left(), std::min(r.left(), avail.right() - r.width() + 1)));
        r.moveTop(std::max(avail.top(), std::min(r.top(), avail.bottom() - r.height() + 1)));
    }
    window->setGeometry(r);
}

void UseFlatButtonTabs(QTabWidget* tabs)
{
    tabs->setProperty(FlatButtonTabsProperty, true);
    tabs->setDocumentMode(true);
    tabs->setStyleSheet(QStringLiteral(
        "QTabWidget[flatButtonTabs=\"true\"]::pane { border: none; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab { background: transparent; border: 1px solid transparent;"
        " padding: 4px 16px; margin: 2px 3px 3px 0; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab:selected { background: #d4d0c8;"
        " border-color: #808080 #ffffff #ffffff #808080; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab:hover:!selected { border-color: #ffffff #808080 #808080 #ffffff; }"));
}

namespace {

// Widens a combo box's list as it opens. The box has placed and sized the list
// by then but not yet put it on the screen, so the user never sees it narrow.
class ComboListWidener : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType()) {
            auto* list = static_cast<QWidget*>(o);
            if (list->isWindow())
                if (auto* combo = qobject_cast<QComboBox*>(list->parentWidget()); combo && combo->view()->window() == list)
                    widen(combo, list);
        }
        return false;
    }

private:
    // The width the list's widest entry takes, as its items draw it. A list
    // may hold a hundred thousand names: the entries are measured by the
    // widths of their characters, and only the widest is laid out in full.
    static int widestEntry(QComboBox* combo)
    {
        QAbstractItemView* view = combo->view();
        const QAbstractItemModel* model = combo->model();
        const QModelIndex root = combo->rootModelIndex();
        const int rows = model->rowCount(root);
        const QFontMetrics fm(view->font());
        QHash<char16_t, int> advances;
        int widestRow = -1, widest = -1;
        for (int row = 0; row < rows; ++row) {
            const QString text = model->index(row, combo->modelColumn(), root).data(Qt::DisplayRole).toString();
            int width = 0;
            for (const QChar c : text) {
                auto it = advances.constFind(c.unicode());
                if (it == advances.constEnd()) it = advances.insert(c.unicode(), fm.horizontalAdvance(c));
                width += *it;
            }
            if (width > widest) {
                widest = width;
                widestRow = row;
            }
        }
        if (widestRow < 0) return 0;
        const QModelIndex index = model->index(widestRow, combo->modelColumn(), root);
        const int laidOut = view->sizeHintForIndex(index).width();
        return laidOut + std::max(0, widest - fm.horizontalAdvance(index.data(Qt::DisplayRole).toString()));
    }

    static void widen(QComboBox* combo, QWidget* list)
    {
        QAbstractItemView* view = combo->view();
        const int widest = widestEntry(combo);
        if (widest <= 0) return;
        // The list's own frame and margins and the frame of the view inside it.
        int frame = list->width() - list->contentsRect().width() + 2 * view->frameWidth();
        if (QLayout* l = list->layout()) frame += l->contentsMargins().left() + l->contentsMargins().right();
        const int scrollBar = combo->count() > combo->maxVisibleItems() ? view->verticalScrollBar()->sizeHint().width() : 0;
        const int wanted = widest + scrollBar + frame;
        if (wanted <= list->width()) return;
        QRect r = list->geometry();
        r.setWidth(wanted);
        if (const QScreen* screen = combo->screen()) {
            const QRect avail = screen->availableGeometry();
            if (r.width() > avail.width()) r.setWidth(avail.width());
            if (r.right() > avail.right()) r.moveRight(avail.right());
            if (r.left() < avail.left()) r.moveLeft(avail.left());
        }
        list->setGeometry(r);
    }
};

} // namespace

void WidenComboLists(QApplication& app)
{
    static QObject* widener = nullptr;
    if (widener) return;
    widener = new ComboListWidener(&app);
    app.installEventFilter(widener);
}
