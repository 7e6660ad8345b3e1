// Builds the main window from its layout table: every control, the menu, the
// status bar, the dialog settings and the image lists.

#include "TForm1.h"

#include "dialogs.h"
#include "form1_controls.h"
#include "pictures.h"
#include "tabrows.h"
#include "widgets.h"
#include "accessibility.h"
#include "groupboxstyle.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <functional>
#include <type_traits>

namespace {

constexpr int kClientWidth = 739;
constexpr int kClientHeight = 565; // below the menu bar, status bar included
constexpr int kStatusBarHeight = 19;

QFont arialPx(int px)
{
    return pixelFont(QStringLiteral("Arial"), px);
}

// Width of the picture each image button shows; the control itself is set
// from the table and may be a pixel narrower.
int plateWidth(const QString& word)
{
    if (word == QLatin1String("EXIT")) return 111;
    if (word == QLatin1String("Read") || word == QLatin1String("Write")) return 53;
    return 80;
}

// Tab goes through the controls as they stand: the tab control with its
// page, then each group's controls together, the groups in the table's order
// (the table lists a parent's controls in reading order). Qt's own order, that
// of creation, would take the top level's controls before the pages'.
void orderFocusByLayout(const TForm1& form, const QList<layout::ControlDef>& defs)
{
    QHash<QString, QList<const layout::ControlDef*>> children;
    for (const layout::ControlDef& d : defs) children[d.parent].append(&d);
    QList<QWidget*> chain;
    std::function<void(const QString&)> walk = [&](const QString& parent) {
        for (const layout::ControlDef* d : children.value(parent)) {
            QWidget* w = form.control(d->name);
            if (auto* rg = qobject_cast<TRadioGroup*>(w)) {
                for (int i = 0; i < rg->count(); ++i) chain << rg->button(i);
            } else if (w->focusPolicy() & Qt::TabFocus) {
                chain << w;
            }
            walk(d->name);
        }
    };
    walk(QString());
    for (int i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// Pictures whose look is a state tell it to assistive tools by name.
void namePictures(const TForm1& form)
{
    for (int n = 1; n <= 8; ++n) {
        const QString lamp = QStringLiteral("ZERO%1").arg(n);
        accessibility::nameFromProperty(form.control(lamp), "imageIndex", [lamp](const QVariant& index) {
            return lamp + (index.toInt() != 0 ? QLatin1String(" on") : QLatin1String(" off"));
        });
    }
    accessibility::nameFromProperty(form.imgConnection, "connectionIndex", [](const QVariant& index) {
        return !index.isValid()     ? QStringLiteral("Not connected")
               : index.toInt() == 1 ? QStringLiteral("Connected")
                                    : QStringLiteral("No EVM");
    });
}

} // namespace

// Creates one control of the table under its parent.
class Form1Builder {
public:
    explicit Form1Builder(TForm1* form) : form_(form) {}

    QWidget* create(const layout::ControlDef& d, QWidget* parent)
    {
        using layout::Kind;
        QWidget* w = nullptr;
        switch (d.kind) {
        case Kind::Tabs:
            w = new TTabRows(parent);
            break;
        case Kind::Page: {
            w = new QWidget;
            static_cast<TTabRows*>(parent)->addTab(w, d.text);
            break;
        }
        case Kind::Group: {
            auto* g = new QGroupBox(d.text, parent);
            frameThroughCaption(g); // the places below assume it
            w = g;
            break;
        }
        case Kind::Label:
            w = new QLabel(d.text, parent);
            break;
        case Kind::Combo: {
            auto* cb = new QComboBox(parent); // not editable: pick-only list
            cb->addItems(d.items);
            cb->setMaxVisibleItems(d.flags & layout::Rows10 ? 10 : 8);
            w = cb;
            break;
        }
        case Kind::Check:
            w = new QCheckBox(d.text, parent);
            break;
        case Kind::Radio: {
            auto* rg = new TRadioGroup(d.text, d.items, d.flags & layout::OneColumn ? 1 : 2, parent);
            rg->setItemIndex(d.flags & layout::SecondItem ? 1 : 0);
            w = rg;
            break;
        }
        case Kind::Track: {
            auto* tk = new TTrackBar(parent);
            tk->setRange(129, 255);
            tk->setValue(129);
            tk->setTickInterval(8);
            tk->setTickPosition(QSlider::TicksAbove);
            w = tk;
            break;
        }
        case Kind::Edit:
            w = new TEdit(d.text, parent);
            break;
        case Kind::ImageButton: {
            auto* b = new TImageButton(parent);
            b->setAccessibleName(d.text); // the word on its picture
            pictures::setWhenFirstPainted(
                b, [word = d.text] { return pictures::buttonPlate(word, plateWidth(word)); });
            w = b;
            break;
        }
        case Kind::Picture:
            w = new QLabel(parent); // transparent: no background of its own
            break;
        case Kind::Button:
            w = new QPushButton(d.text, parent);
            break;
        case Kind::Memo: {
            auto* m = new QPlainTextEdit(parent);
            m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m->setLineWrapMode(QPlainTextEdit::NoWrap);
            // Tab moves on, so that the controls after the history stay
            // reachable from the keyboard; a tab in the log would be no record.
            m->setTabChangesFocus(true);
            w = m;
            break;
        }
        case Kind::Bevel: {
            auto* f = new QFrame(parent);
            f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            w = f;
            break;
        }
        }
        w->setObjectName(d.name);
        if (d.kind != Kind::Page) w->setGeometry(d.place);
        if (d.tag != layout::kNoTag) setTag(w, d.tag);
        if (d.hint.isEmpty())
            showOwnHintOnly(w); // not its group's
        else
            w->setToolTip(d.hint);
        if (d.flags & layout::Px11) w->setFont(arialPx(11));
        if (d.flags & layout::Px9) w->setFont(arialPx(9));
        if (d.flags & layout::Disabled) w->setEnabled(false);
        if (d.flags & layout::Hidden) w->setHidden(true); // explicitly: showing the page keeps it hidden
        form_->registerControl(w);
        return w;
    }

private:
    TForm1* form_;
};

void TForm1::buildLayout()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("EVM Controller"));
    // A fixed window: system menu and minimise, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setFont(arialPx(12));

    auto* central = new QWidget(this);
    setCentralWidget(central);

    accessibility::install();
    Form1Builder builder(this);
    const QList<layout::ControlDef> defs = layout::form1Controls();
    for (const layout::ControlDef& d : defs) {
        QWidget* parent = d.parent.isEmpty() ? central : control(d.parent);
        builder.create(d, parent);
    }
    auto pick = [this](auto*& member, const char* name) {
        member = qobject_cast<std::remove_reference_t<decltype(*member)>*>(control(QLatin1String(name)));
        Q_ASSERT(member);
    };
    pick(MainTab, "MainTab");
    pick(imgConnection, "imgConnection");
    pick(rgInterface, "rgInterface");
    pick(cbAddr, "cbAddr");
    pick(cbDACMasterSlave, "cbDACMasterSlave");
    pick(cbADCMasterSlave, "cbADCMasterSlave");
    pick(rgDACAttMode, "rgDACAttMode");
    pick(Memo1, "Memo1");
    pick(RDA_reg, "RDA_reg");
    pick(RDA_data, "RDA_data");
    pick(imgSave, "imgSave");
    pick(imgClear, "imgClear");
    pick(imgRead, "imgRead");
    pick(imgWrite, "imgWrite");
    pick(imgExit, "imgExit");
    MainTab->setCurrentIndex(0); // DACADCFunc
    orderFocusByLayout(*this, defs);
    namePictures(*this);
    pictures::setWhenFirstPainted(static_cast<QLabel*>(control(QStringLiteral("Image1"))), pictures::banner);
    pictures::setWhenFirstPainted(static_cast<QLabel*>(control(QStringLiteral("Image2"))), pictures::logo);

    // Menu bar.
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    registerControl(bar);
    auto menu = [this, bar](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        registerControl(m);
        return m;
    };
    auto item = [](QMenu* m, const char* name, const QString& text) {
        QAction* a = m->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QMenu* file = menu("File1", QStringLiteral("&File"));
    item(file, "Open1", QStringLiteral("&Open script"));
    item(file, "SaveRegisterDump", QStringLiteral("&Save register snapshot"));
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    item(file, "Exit1", QStringLiteral("Exit"));
    item(menu("View1", QStringLiteral("&Tool")), "RegisterMap1", QStringLiteral("Register Map"));
    item(menu("About1", QStringLiteral("&Help")), "About2", QStringLiteral("&About"));

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    registerControl(StatusBar1);

    OpenDialog1 = new FileDialogSettings(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->filter = QStringLiteral("CSV|*.csv|All Files|*.*");
    OpenDialog1->defaultExt = QStringLiteral("csv");
    SaveDialog1 = new FileDialogSettings(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->filter = QStringLiteral("CSV|*.csv|All files|*.*");
    SaveDialog1->defaultExt = QStringLiteral("*.csv");

    ImageList1 = new TImageList(this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));
    ImageList1->images = pictures::lamps();
    ImageList2 = new TImageList(this);
    ImageList2->setObjectName(QStringLiteral("ImageList2"));
    ImageList2->images = pictures::connectionPlates();

    // The client area is fixed below the menu bar; the status bar lies inside it.
    setFixedSize(kClientWidth, bar->sizeHint().height() + kClientHeight);
    move(195, 123);
}
