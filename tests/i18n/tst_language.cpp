#include "language.h"

#include "picturebutton.h"
#include "programdir.h"
#include "programwindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kd::i18n;

namespace {

using Flags = QList<QRgb>;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlank = 0x00000000;

// A translated window as the program's windows are: translates itself first
// thing whenever it is shown.
class TranslatedWindow : public QWidget {
public:
    explicit TranslatedWindow(int section) : section_(section) {
        label = new QLabel(QStringLiteral("designed"), this);
        label->setObjectName(QStringLiteral("Label1"));
        label->setGeometry(8, 8, 300, 16);
    }
    QLabel* label;

protected:
    void showEvent(QShowEvent* event) override {
        ApplyCurrentLanguage(this, section_);
        QWidget::showEvent(event);
    }

private:
    int section_;
};

// Text a control shows, whatever its kind.
QString captionOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* s = qobject_cast<const QSpinBox*>(w))
        return s->text();
    if (auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->toPlainText();
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<const QTabWidget*>(p)) {
            if (tabs->indexOf(const_cast<QWidget*>(w)) >= 0)
                return tabs->tabText(tabs->indexOf(const_cast<QWidget*>(w)));
        }
    }
    return w->property("text").toString();
}

template <typename T>
T* place(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buildsBoxAndFlags_data();
    void buildsBoxAndFlags();
    void languageFileStem_data();
    void languageFileStem();
    void controlKinds_data();
    void controlKinds();
    void caption_data();
    void caption();
    void labelGrowsToFitText();
    void storedIndexTranslatesStartWindow();
    void changeTakesEffectAtNextShow();
    void currentLanguageName();

private:
    void write(const QString& name, const QByteArray& bytes);
    void writeFlag(const QString& name, const QImage& image);

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestLanguage::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    kd::setProgramDirectoryForTesting(dir_->path());
    kd::windows() = kd::ProgramWindows();

    QDir(dir_->path()).mkdir(QStringLiteral("flags"));
    const auto filled = [](int size, QRgb rgb) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(rgb);
        return image;
    };
    writeFlag(QStringLiteral("flags/red.bmp"), filled(16, kRed));
    writeFlag(QStringLiteral("flags/blue.bmp"), filled(16, kBlue));
    writeFlag(QStringLiteral("flags/big.bmp"), filled(40, kGreen));
    write(QStringLiteral("flags/broken.bmp"), "BM this is no bitmap");
}

void TestLanguage::cleanup() {
    kd::windows() = kd::ProgramWindows();
    kd::setProgramDirectoryForTesting(QString());
    dir_.reset();
}

void TestLanguage::write(const QString& name, const QByteArray& bytes) {
    QFile file(dir_->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestLanguage::writeFlag(const QString& name, const QImage& image) {
    QVERIFY(image.save(dir_->filePath(name), "BMP"));
}

void TestLanguage::buildsBoxAndFlags_data() {
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Flags>("flags");

    QTest::newRow("count 2")
        << QByteArray(
               "[0]\ncount=2\n[1]\nname=Deutsch\nimage=flags/red.bmp\nfile=de\n"
               "[2]\nname=English\nimage=flags\\blue.bmp\nfile=en\n")
        << QStringList{"Deutsch", "English"} << Flags{kRed, kBlue};
    QTest::newRow("count 0") << QByteArray("[0]\ncount=0\n[1]\nname=Deutsch\n") << QStringList{}
                             << Flags{};
    QTest::newRow("negative count")
        << QByteArray("[0]\ncount=-2\n[1]\nname=Deutsch\n") << QStringList{} << Flags{};
    QTest::newRow("count not a number")
        << QByteArray("[0]\ncount=zwei\n[1]\nname=Deutsch\n") << QStringList{} << Flags{};
    QTest::newRow("count missing") << QByteArray("[1]\nname=Deutsch\n") << QStringList{} << Flags{};
    QTest::newRow("no catalogue") << QByteArray() << QStringList{} << Flags{};
    QTest::newRow("entry without image repeats earlier flag")
        << QByteArray(
               "[0]\ncount=3\n[1]\nname=A\nimage=flags/red.bmp\n[2]\nname=B\n"
               "[3]\nname=C\nimage=flags/blue.bmp\n")
        << QStringList{"A", "B", "C"} << Flags{kRed, kRed, kBlue};
    QTest::newRow("entry without name reads error")
        << QByteArray("[0]\ncount=2\n[1]\nimage=flags/red.bmp\n[2]\nname=B\n")
        << QStringList{"error", "B"} << Flags{kRed, kRed};
    QTest::newRow("count beyond the sections")
        << QByteArray("[0]\ncount=2\n[1]\nname=A\nimage=flags/blue.bmp\n")
        << QStringList{"A", "error"} << Flags{kBlue, kBlue};
    // Regression: without a flag to repeat, the flag list ran one short and
    // every later name was drawn with its neighbour's flag.
    QTest::newRow("first entry without image gets blank flag")
        << QByteArray("[0]\ncount=2\n[1]\nname=A\n[2]\nname=B\nimage=flags/red.bmp\n")
        << QStringList{"A", "B"} << Flags{kBlank, kRed};
    QTest::newRow("unloadable flag gets blank flag")
        << QByteArray(
               "[0]\ncount=4\n[1]\nname=A\nimage=flags/red.bmp\n"
               "[2]\nname=B\nimage=flags/broken.bmp\n[3]\nname=C\n"
               "[4]\nname=D\nimage=flags/blue.bmp\n")
        << QStringList{"A", "B", "C", "D"} << Flags{kRed, kBlank, kBlank, kBlue};
    QTest::newRow("missing flag file gets blank flag")
        << QByteArray(
               "[0]\ncount=2\n[1]\nname=A\nimage=flags/none.bmp\n"
               "[2]\nname=B\nimage=flags/blue.bmp\n")
        << QStringList{"A", "B"} << Flags{kBlank, kBlue};
    QTest::newRow("flag of another size is scaled")
        << QByteArray("[0]\ncount=1\n[1]\nname=A\nimage=flags/big.bmp\n") << QStringList{"A"}
        << Flags{kGreen};
    QTest::newRow("sections and keys without regard to case")
        << QByteArray("[0]\nCOUNT=1\n[1]\nName=A\nIMAGE=flags/red.bmp\n") << QStringList{"A"}
        << Flags{kRed};
}

void TestLanguage::buildsBoxAndFlags() {
    QFETCH(QByteArray, catalogue);
    QFETCH(QStringList, names);
    QFETCH(Flags, flags);
    if (!catalogue.isEmpty())
        write(QStringLiteral("language.ini"), catalogue);

    // What a former build left must go.
    QComboBox box;
    box.setEditable(true);
    box.addItems({"DE", "EN", "FR"});
    QList<QPixmap> imageList{QPixmap(16, 16)};

    BuildLanguageList(&box, &imageList);

    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    QCOMPARE(items, names);
    QCOMPARE(box.currentIndex(), -1);
    QVERIFY(!box.isEditable());
    QCOMPARE(imageList.size(), flags.size());
    for (int i = 0; i < flags.size(); ++i) {
        const QImage flag = imageList.at(i).toImage();
        QCOMPARE(flag.size(), QSize(kFlagSize, kFlagSize));
        QCOMPARE(flag.pixel(8, 8), flags.at(i));
        QCOMPARE(flag.pixel(0, 15), flags.at(i));
    }
}

void TestLanguage::languageFileStem_data() {
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("stem");

    const QByteArray two("[0]\ncount=2\n[1]\nname=A\nfile=lang_a\n[2]\nname=B\n");
    QTest::newRow("first entry") << two << 0 << "lang_a";
    QTest::newRow("entry without file") << two << 1 << "";
    QTest::newRow("no selection looks in section 0") << two << -1 << "";
    QTest::newRow("no selection, section 0 with file")
        << QByteArray("[0]\ncount=1\nfile=zero\n[1]\nfile=one\n") << -1 << "zero";
    QTest::newRow("index naming no entry") << two << 7 << "";
    QTest::newRow("no catalogue") << QByteArray() << 0 << "";
}

void TestLanguage::languageFileStem() {
    QFETCH(QByteArray, catalogue);
    QFETCH(int, index);
    QFETCH(QString, stem);
    if (!catalogue.isEmpty())
        write(QStringLiteral("language.ini"), catalogue);
    QCOMPARE(LanguageFileStem(index), stem);
}

void TestLanguage::controlKinds_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected");

    QTest::newRow("label") << "Label1"
                           << "Text 1";
    QTest::newRow("label nested in a group box") << "Label4"
                                                 << "Text 4";
    QTest::newRow("label on a tab sheet") << "Label6"
                                          << "Text 6";
    QTest::newRow("push button") << "setzen"
                                 << "Set";
    QTest::newRow("button with picture") << "resetbtn1"
                                         << "Reset it";
    QTest::newRow("check box") << "rueckluft"
                               << "Show return air";
    QTest::newRow("radio button") << "Radio1"
                                  << "Radio";
    QTest::newRow("group box") << "GroupBox1"
                               << "Group";
    QTest::newRow("panel") << "Panel1"
                           << "Panel text";
    QTest::newRow("empty value keeps text") << "Label2"
                                            << "designed 2";
    QTest::newRow("missing key keeps text") << "Label3"
                                            << "designed 3";
    QTest::newRow("one-character name") << "X"
                                        << "designed x";
    QTest::newRow("tab sheet") << "TabSheet1"
                               << "USB";
    QTest::newRow("edit") << "Edit1"
                          << "edit";
    QTest::newRow("combo box") << "ComboBox1"
                               << "item";
    QTest::newRow("spin edit") << "SpinEdit1"
                               << "5";
    QTest::newRow("memo") << "txtMessage"
                          << "txtMessage";
    QTest::newRow("picture button") << "Image1"
                                    << "";
    QTest::newRow("label showing a picture") << "Image2"
                                             << "";
    QTest::newRow("data-aware text") << "DBText1"
                                     << "mac";
    QTest::newRow("data-aware check box") << "DBCheckBox1"
                                          << "Aktiv";
    QTest::newRow("button of a data-aware navigator") << "NavPost"
                                                      << "post";
    QTest::newRow("label of a dialog parented to the window") << "Label5"
                                                              << "designed 5";
}

void TestLanguage::controlKinds() {
    QFETCH(QString, control);
    QFETCH(QString, expected);

    QWidget window;
    place<QLabel>(&window, "Label1")->setText("designed 1");
    place<QLabel>(&window, "Label2")->setText("designed 2");
    place<QLabel>(&window, "Label3")->setText("designed 3");
    place<QLabel>(&window, "X")->setText("designed x");
    place<QPushButton>(&window, "setzen")->setText("Setzen");
    auto* reset = place<QPushButton>(&window, "resetbtn1");
    reset->setText("Reset");
    QPixmap icon(8, 8);
    icon.fill(Qt::red);
    reset->setIcon(QIcon(icon));
    place<QCheckBox>(&window, "rueckluft")->setText(QString::fromUtf8("Rückluft anzeigen"));
    place<QRadioButton>(&window, "Radio1")->setText("Radio designed");
    auto* group = place<QGroupBox>(&window, "GroupBox1");
    group->setTitle("Gruppe");
    place<QLabel>(group, "Label4")->setText("designed 4");
    place<QFrame>(&window, "Panel1");
    auto* tabs = place<QTabWidget>(&window, "PageControl1");
    auto* sheet = place<QWidget>(nullptr, "TabSheet1");
    tabs->addTab(sheet, "USB");
    place<QLabel>(sheet, "Label6")->setText("designed 6");
    place<QLineEdit>(&window, "Edit1")->setText("edit");
    place<QComboBox>(&window, "ComboBox1")->addItem("item");
    place<QSpinBox>(&window, "SpinEdit1")->setValue(5);
    place<QPlainTextEdit>(&window, "txtMessage")->setPlainText("txtMessage");
    auto* picture = place<kd::PictureButton>(&window, "Image1");
    picture->setPixmap(icon);
    auto* image = place<QLabel>(&window, "Image2");
    image->setPixmap(icon);
    place<QLabel>(&window, "DBText1")->setText("mac");
    place<QCheckBox>(&window, "DBCheckBox1")->setText("Aktiv");
    place<QPushButton>(place<QWidget>(&window, "DBNavigator1"), "NavPost")->setText("post");
    auto* dialog = new QDialog(&window);
    place<QLabel>(dialog, "Label5")->setText("designed 5");

    write(QStringLiteral("lang.ini"),
          "[5]\ntitel=T\nLabel1=Text 1\nLabel2=\nLabel4=Text 4\nLabel5=Text 5\nLabel6=Text 6\n"
          "X=Text x\nsetzen=Set\nresetbtn1=Reset it\nrueckluft=Show return air\nRadio1=Radio\n"
          "GroupBox1=Group\nPanel1=Panel text\nTabSheet1=Sheet\nEdit1=Text\nComboBox1=Text\n"
          "SpinEdit1=9\ntxtMessage=Text\nImage1=Text\nImage2=Text\nDBText1=Text\n"
          "DBCheckBox1=Text\nNavPost=Text\n[0]\nLabel3=wrong section\n");

    LoadLanguage(&window, CabinetConsole, QStringLiteral("lang"));

    auto* w = window.findChild<QWidget*>(control);
    QVERIFY(w);
    QCOMPARE(captionOf(w), expected);
    QVERIFY(!picture->pixmap().isNull());
    QVERIFY(!image->pixmap().isNull());
    QVERIFY(!reset->icon().isNull());
}

void TestLanguage::caption_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");

    QTest::newRow("titel") << QByteArray("[5]\ntitel=Console\nLabel1=Text\n") << "Console"
                           << "Text";
    QTest::newRow("titel in another case") << QByteArray("[5]\nTITEL=Console\n") << "Console"
                                           << "designed";
    QTest::newRow("missing titel empties caption") << QByteArray("[5]\nLabel1=Text\n") << ""
                                                   << "Text";
    QTest::newRow("empty titel empties caption") << QByteArray("[5]\ntitel=\n") << ""
                                                 << "designed";
    QTest::newRow("missing section") << QByteArray("[3]\ntitel=Chart\nLabel1=Text\n") << ""
                                     << "designed";
    QTest::newRow("missing file") << QByteArray() << ""
                                  << "designed";
    QTest::newRow("code page 1252") << QByteArray("[5]\ntitel=Monitorprogramm f\xFCr\n")
                                    << QString::fromUtf8("Monitorprogramm für") << "designed";
}

void TestLanguage::caption() {
    QFETCH(QByteArray, file);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    if (!file.isEmpty())
        write(QStringLiteral("lang.ini"), file);

    TranslatedWindow window(CabinetConsole);
    window.setWindowTitle(QStringLiteral("Designed caption"));
    LoadLanguage(&window, CabinetConsole, QStringLiteral("lang"));
    QCOMPARE(window.windowTitle(), caption);
    QCOMPARE(window.label->text(), label);
}

void TestLanguage::labelGrowsToFitText() {
    QWidget window;
    auto* label = place<QLabel>(&window, "Label9");
    label->setGeometry(392, 232, 20, 13);
    write(QStringLiteral("lang.ini"), "[0]\nLabel9=a rather long replacement text\n");

    LoadLanguage(&window, StartWindow, QStringLiteral("lang"));

    QCOMPARE(label->pos(), QPoint(392, 232));
    QVERIFY(label->width() >= label->sizeHint().width());
}

void TestLanguage::storedIndexTranslatesStartWindow() {
    write(QStringLiteral("language.ini"),
          "[0]\ncount=2\n[1]\nname=Deutsch\nimage=flags/red.bmp\nfile=lang_a\n"
          "[2]\nname=English\nimage=flags/blue.bmp\nfile=lang_b\n");
    write(QStringLiteral("lang_a.ini"), "[0]\ntitel=Start A\nLabel1=Ansicht\n");
    write(QStringLiteral("lang_b.ini"), "[0]\ntitel=Start B\nLabel1=View\n");

    // The start window's creation: build, select the stored index, change step.
    TranslatedWindow start(StartWindow);
    auto* box = place<QComboBox>(&start, "Sprachwahl");
    QList<QPixmap> flags;
    BuildLanguageList(box, &flags);
    box->setCurrentIndex(1);
    const QString stem = LanguageFileStem(box->currentIndex());
    if (!stem.isEmpty())
        LoadLanguage(&start, StartWindow, stem);

    QCOMPARE(box->count(), 2);
    QCOMPARE(flags.size(), 2);
    QCOMPARE(box->currentText(), QStringLiteral("English"));
    QCOMPARE(start.windowTitle(), QStringLiteral("Start B"));
    QCOMPARE(start.label->text(), QStringLiteral("View"));
}

void TestLanguage::changeTakesEffectAtNextShow() {
    write(QStringLiteral("language.ini"),
          "[0]\ncount=3\n[1]\nname=Deutsch\nfile=lang_a\n[2]\nname=English\nfile=lang_b\n"
          "[3]\nname=Empty\n");
    write(QStringLiteral("lang_a.ini"), "[5]\ntitel=Konsole\nLabel1=Feuchte\n");
    write(QStringLiteral("lang_b.ini"), "[5]\ntitel=Console\nLabel1=Humidity\n");

    QComboBox box;
    QList<QPixmap> flags;
    BuildLanguageList(&box, &flags);
    kd::windows().Sprachwahl = &box;
    box.setCurrentIndex(0);

    TranslatedWindow console(CabinetConsole);
    console.show();
    QCOMPARE(console.windowTitle(), QStringLiteral("Konsole"));
    QCOMPARE(console.label->text(), QStringLiteral("Feuchte"));

    // Changed while open: the console keeps its texts until shown again.
    box.setCurrentIndex(1);
    QCOMPARE(console.label->text(), QStringLiteral("Feuchte"));
    console.show();
    QCOMPARE(console.label->text(), QStringLiteral("Feuchte"));
    console.hide();
    console.show();
    QCOMPARE(console.windowTitle(), QStringLiteral("Console"));
    QCOMPARE(console.label->text(), QStringLiteral("Humidity"));

    // An entry without "file" and no selection leave every text as it is.
    for (int index : {2, -1}) {
        box.setCurrentIndex(index);
        console.hide();
        console.show();
        QCOMPARE(console.windowTitle(), QStringLiteral("Console"));
        QCOMPARE(console.label->text(), QStringLiteral("Humidity"));
    }
}

void TestLanguage::currentLanguageName() {
    QCOMPARE(CurrentLanguageName(), QString());
    QComboBox box;
    box.addItems({"Deutsch", "DE"});
    kd::windows().Sprachwahl = &box;
    box.setCurrentIndex(-1);
    QCOMPARE(CurrentLanguageName(), QString());
    box.setCurrentIndex(1);
    QCOMPARE(CurrentLanguageName(), QStringLiteral("DE"));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
