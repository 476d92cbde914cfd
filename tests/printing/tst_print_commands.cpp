// The print and screen-copy commands ask twice, print only after Yes and
// OK, and turn any printer failure into one warning box; the board and the
// drill are never touched, and the two buttons stay hidden.
#include "form_fixture.h"
#include "pdf_tools.h"
#include "printing/page_fit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

using Answer = Desktop::Answer;
using Buttons = Desktop::Buttons;
using Icon = Desktop::Icon;

Q_DECLARE_METATYPE(QList<Desktop::Answer>)

namespace {

// Everything on the board and in the drill that a print command must leave
// as it was.
struct Snapshot
{
    QStringList captions;
    QStringList cells;
    QList<bool> enabled;
    QList<bool> hidden;
    QString clock;
    bool timerActive = false;
    std::int16_t calcKind = 0, elapsedSeconds = 0, currentCell = 0, lastCell = 0;
    bool idle = false;

    explicit Snapshot(const Form1& form)
    {
        for (const QLabel* label : form.L) {
            captions << label->text();
            enabled << label->isEnabled();
        }
        for (const QLineEdit* cell : form.Data) {
            cells << cell->text();
            enabled << cell->isEnabled();
        }
        for (const QPushButton* button : form.Btn) {
            enabled << button->isEnabled();
            hidden << button->isHidden();
        }
        clock = form.Text1->text();
        timerActive = form.Timer1->isActive();
        calcKind = form.state.calcKind;
        elapsedSeconds = form.state.elapsedSeconds;
        currentCell = form.state.currentCell;
        lastCell = form.state.lastCell;
        idle = form.state.idle;
    }

    bool operator==(const Snapshot&) const = default;
};

struct Expected
{
    QString prompt;
    QString title;
    Buttons buttons;
    Icon icon;
};

const Expected printQuestion{
    u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s, Buttons::YesNo, Icon::None};
const Expected copyQuestion{
    u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s, Buttons::YesNo, Icon::None};
const Expected readyQuestion{
    u"プリンタの用意をして下さい。"_s, u"かくにん"_s, Buttons::OkCancel, Icon::None};
const Expected failure{u"いんさつができません。"_s, u"いんさつ中止"_s, Buttons::Ok, Icon::Warning};

void compareShown(const FakeDesktop& desktop, const QList<Expected>& expected)
{
    QCOMPARE(desktop.shown.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Desktop::Message& message = desktop.shown[i].message;
        QCOMPARE(message.prompt, expected[i].prompt);
        QCOMPARE(message.title, expected[i].title);
        QCOMPARE(message.buttons, expected[i].buttons);
        QCOMPARE(message.icon, expected[i].icon);
    }
}

// Starts a drill and types a first answer, so there is something to keep.
void startDrill(Form1& form)
{
    form.Btn_Click(1);
    form.Data[0]->setText(u"1"_s);
    form.Timer1_Timer();
    form.Timer1_Timer();
}

} // namespace

class PrintCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutPrinting_data();
    void withoutPrinting();
    void printsOnePage_data();
    void printsOnePage();
    void windowImageFitsThePage();
    void pageFit_data();
    void pageFit();
};

void PrintCommandsTest::withoutPrinting_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("pdfName"); // empty: no printer
    QTest::addColumn<int>("printerRequests");
    QTest::addColumn<QList<Expected>>("expected");

    const QList<Answer> confirm{Answer::Yes, Answer::Ok};
    for (const auto& [index, name, question] :
        {std::tuple{5, "sheet", printQuestion}, std::tuple{6, "window", copyQuestion}}) {
        QTest::addRow("%s: No", name)
            << index << QList{Answer::No} << false << u"out.pdf"_s << 0 << QList{question};
        QTest::addRow("%s: Yes, Cancel", name)
            << index << QList{Answer::Yes, Answer::Cancel} << false << u"out.pdf"_s << 0
            << QList{question, readyQuestion};
        QTest::addRow("%s: no printer", name) << index << confirm << false << QString() << 1
                                              << QList{question, readyQuestion, failure};
        QTest::addRow("%s: no printer, drill running", name)
            << index << confirm << true << QString() << 1
            << QList{question, readyQuestion, failure};
        QTest::addRow("%s: printer refuses the job", name)
            << index << confirm << false << u"missing folder/out.pdf"_s << 1
            << QList{question, readyQuestion, failure};
    }
}

void PrintCommandsTest::withoutPrinting()
{
    QFETCH(int, index);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, running);
    QFETCH(QString, pdfName);
    QFETCH(int, printerRequests);
    QFETCH(QList<Expected>, expected);

    FormFixture fixture;
    if (!pdfName.isEmpty())
        fixture.desktop.pdfPath = fixture.path(pdfName);
    Form1& form = fixture.make();
    if (running)
        startDrill(form);
    const Snapshot before(form);

    fixture.desktop.answers = answers;
    if (printerRequests > 0 && !pdfName.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    form.Btn_Click(index);

    compareShown(fixture.desktop, expected);
    QCOMPARE(fixture.desktop.printerRequests, printerRequests);
    QVERIFY(!QFileInfo::exists(fixture.desktop.pdfPath));
    QVERIFY(Snapshot(form) == before);
}

void PrintCommandsTest::printsOnePage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("switches"); // clicks of the kind switch from addition

    // Called directly the commands print whatever the kind, even while
    // their (hidden) buttons are disabled.
    QTest::newRow("sheet, addition") << 5 << 0;
    QTest::newRow("sheet, division") << 5 << 3;
    QTest::newRow("window, addition") << 6 << 0;
    QTest::newRow("window, multiplication") << 6 << 2;
}

void PrintCommandsTest::printsOnePage()
{
    if (!Pdf::toolsPresent())
        QSKIP("poppler-utils are not installed");
    QFETCH(int, index);
    QFETCH(int, switches);

    FormFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"out.pdf"_s);
    Form1& form = fixture.make();
    for (int i = 0; i < switches; ++i)
        form.Btn_Click(0);
    const Snapshot before(form);

    fixture.desktop.answers = {Answer::Yes, Answer::Ok};
    form.Btn_Click(index);

    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(fixture.desktop.printerRequests, 1);
    QCOMPARE(Pdf::pages(fixture.desktop.pdfPath), 1);
    QVERIFY(Snapshot(form) == before);
}

void PrintCommandsTest::windowImageFitsThePage()
{
    if (!Pdf::toolsPresent())
        QSKIP("poppler-utils are not installed");

    FormFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"window.pdf"_s);
    Form1& form = fixture.make();
    startDrill(form);
    const Snapshot before(form);

    fixture.desktop.answers = {Answer::Yes, Answer::Ok};
    form.Btn_Click(6);
    QCOMPARE(fixture.desktop.shown.size(), 2);
    QVERIFY(Snapshot(form) == before); // the drill goes on

    const QImage page = Pdf::render(fixture.desktop.pdfPath, 50);
    QVERIFY(!page.isNull());
    // The window's grey ground shows the picture's extent on the white page.
    QRect inked;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 250)
                inked |= QRect(x, y, 1, 1);
    QVERIFY(!inked.isEmpty());
    const double pictureRatio = double(inked.width()) / inked.height();
    const double windowRatio = double(form.width()) / form.height();
    QVERIFY2(std::abs(pictureRatio / windowRatio - 1) < 0.03,
        qPrintable(u"%1 against %2"_s.arg(pictureRatio).arg(windowRatio)));
    // As wide as the printable area allows (a 10-point margin at 50 dpi is
    // about 7 pixels each side).
    QVERIFY(inked.width() > page.width() - 20);
}

void PrintCommandsTest::pageFit_data()
{
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QRectF>("page");
    QTest::addColumn<QRectF>("placed");

    const QRectF portrait(100, 200, 1000, 1500);
    QTest::newRow("wide picture fills the width")
        << QSizeF(716, 358) << portrait << QRectF(100, 200, 1000, 500);
    QTest::newRow("tall picture fills the height, centred across")
        << QSizeF(300, 900) << portrait << QRectF(350, 200, 500, 1500);
    QTest::newRow("small picture is enlarged")
        << QSizeF(10, 10) << portrait << QRectF(100, 200, 1000, 1000);
    QTest::newRow("empty picture") << QSizeF(0, 0) << portrait << QRectF(100, 200, 0, 0);
}

void PrintCommandsTest::pageFit()
{
    QFETCH(QSizeF, picture);
    QFETCH(QRectF, page);
    QFETCH(QRectF, placed);

    QCOMPARE(fitOnPage(picture, page), placed);
}

QTEST_MAIN(PrintCommandsTest)
#include "tst_print_commands.moc"
