// The owner profile forms: required fields in order, focus, trimming, quotes, the field
// highlight and Enter chain, what is stored and the owner name kept for the reports.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/FieldHighlight.h"
#include "trains/modGlobal.h"
#include "trains/owner/frmAddOwner.h"
#include "trains/owner/frmEditOwner.h"
#include "trains/shell/frmMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <functional>

using namespace testing;
using platform::MsgIcon;

namespace {
const QStringList kProfile{"Lee", "Ann",   "1 Depot Road",   "Springfield",
                           "IL",  "62701", "ann@example.org"};

void fill(owner::OwnerFields &f, const QStringList &texts) {
    for (int i = 0; i < owner::kFieldCount; ++i)
        f.txtBox[i]->setText(texts.value(i));
}

int highlightedCaptions(const owner::OwnerFields &f) {
    int n = 0;
    for (QLabel *l : f.lblData)
        n += FieldBehaviour::isHighlighted(l) ? 1 : 0;
    return n;
}
} // namespace

class TestOwner : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<ExitRecorder> exits;
    frmAddOwner *entry = nullptr;

    void showEntry() {
        entry = new frmAddOwner;
        entry->show();
        entry->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(entry));
    }
    void storeProfile() { testing::storeOwnerProfile(*pf); }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        exits = std::make_unique<ExitRecorder>();
    }
    void cleanup() {
        QCOMPARE(boxes->unexpected(), 0);
        resetProgramState();
        entry = nullptr;
        exits.reset();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
    }

    void entryFormLayout() {
        showEntry();
        QCOMPARE(entry->size(), QSize(370, 275));
        QVERIFY(entry->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(entry->isModal());
        QCOMPARE(entry->fields.Label12->text(), QString("Owner Profile"));
        QVERIFY(entry->fields.Label1);
        QCOMPARE(entry->fields.Label1->text(), QString("This only needs to be done on first use"));
        QCOMPARE(entry->fields.cmdSave->text(), QString("&Save"));
        QCOMPARE(entry->fields.cmdExit->text(), QString("e&Xit"));
        const QStringList captions{"Last Name",  "First Name",  "Address",      "City",
                                   "State/Prov", "Postal Code", "Email Address"};
        const int lengths[] = {35, 35, 35, 35, 3, 10, 45};
        for (int i = 0; i < owner::kFieldCount; ++i) {
            QCOMPARE(entry->fields.lblData[i]->text(), captions[i]);
            QCOMPARE(entry->fields.lblData[i]->buddy(), entry->fields.txtBox[i]);
            QCOMPARE(entry->fields.txtBox[i]->maxLength(), lengths[i]);
            QCOMPARE(entry->fields.txtBox[i]->geometry().topLeft(), QPoint(128, 40 + 24 * i));
        }
        QCOMPARE(entry->fields.txtBox[4]->width(), 41);
        QCOMPARE(entry->fields.cmdSave->geometry(), QRect(8, 212, 81, 29));
        QCOMPARE(entry->fields.cmdExit->geometry(), QRect(280, 212, 81, 29));
        // Tab order: the boxes, then Save, then Exit.
        QWidget *w = entry->fields.txtBox[0];
        for (int i = 1; i < owner::kFieldCount; ++i) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            QCOMPARE(w, entry->fields.txtBox[i]);
        }
    }

    void requiredFieldsInOrder_data() {
        QTest::addColumn<int>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("last") << 0 << "Last Name is missing! ";
        QTest::newRow("first") << 1 << "First Name is missing! ";
        QTest::newRow("address") << 2 << "Address is missing! ";
        QTest::newRow("city") << 3 << "City Name is missing! ";
        QTest::newRow("state") << 4 << "State/Prov is missing! ";
        QTest::newRow("postal") << 5 << "Postal Code is missing! ";
    }
    void requiredFieldsInOrder() {
        QFETCH(int, missing);
        QFETCH(QString, message);
        showEntry();
        QStringList texts = kProfile;
        texts[missing] = "   "; // blanks only count as missing
        // A later empty field is not reported while an earlier one is missing.
        if (missing < 5)
            texts[5] = "";
        fill(entry->fields, texts);
        entry->fields.txtBox[6]->setFocus();
        boxes->answer(platform::MsgResult::OK);
        entry->fields.cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, message);
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Critical);
        QCOMPARE(boxes->boxes()[0].title, QString("Quillon"));
        QVERIFY(entry->fields.txtBox[missing]->hasFocus());
        QVERIFY(entry->isVisible());
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
        QVERIFY(strOwnerName.isEmpty());
    }

    void saveTrimsAndKeepsQuotesOnce() {
        showEntry();
        fill(entry->fields,
             {"  O'Neil  ", " Ann", "1 Depot Road", "Springfield", "IL", "62701", ""});
        boxes->answer(platform::MsgResult::OK);
        entry->fields.cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Profile Information Saved! "));
        QVERIFY(!entry->isVisible());
        QCOMPARE(exits->exits, 0);
        const auto row = pf->query("SELECT LName, FName, FullName, Email, OwnerID FROM tblOwner");
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toString(), QString("O'Neil"));
        QCOMPARE(row[0][1].toString(), QString("Ann"));
        QCOMPARE(row[0][2].toString(), QString("Ann O'Neil"));
        QCOMPARE(row[0][3].toString(), QString(""));
        QCOMPARE(row[0][4].toString(), QString("O-1"));
        QCOMPARE(strOwnerName, QString("Ann O'Neil"));
        QCOMPARE(entry->fields.txtBox[0]->text(), QString("O'Neil"));
    }

    void aFailedSaveKeepsTheForm() {
        showEntry();
        pf->exec("DROP TABLE tblOwner");
        fill(entry->fields, kProfile);
        boxes->answer(platform::MsgResult::OK); // the store's own message
        boxes->answer(platform::MsgResult::OK);
        entry->fields.cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 2);
        QCOMPARE(boxes->boxes()[0].title, QString("Vuziz"));
        QCOMPARE(boxes->boxes()[1].prompt, QString("Profile Record was NOT Saved! "));
        QCOMPARE(boxes->boxes()[1].icon, MsgIcon::Critical);
        QCOMPARE(boxes->boxes()[1].title, QString("Quillon"));
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->fields.txtBox[3]->text(), QString("Springfield"));
        QCOMPARE(strOwnerName, QString("Ann Lee"));
    }

    void enterChainAndHighlight() {
        showEntry();
        auto &f = entry->fields;
        f.txtBox[0]->setFocus();
        QVERIFY(FieldBehaviour::isHighlighted(f.lblData[0]));
        for (int i = 0; i < owner::kFieldCount - 1; ++i) {
            QTest::keyClick(f.txtBox[i], Qt::Key_Return);
            QVERIFY(f.txtBox[i + 1]->hasFocus());
            QVERIFY(FieldBehaviour::isHighlighted(f.lblData[i + 1]));
            QVERIFY(!FieldBehaviour::isHighlighted(f.lblData[i]));
            QCOMPARE(highlightedCaptions(f), 1);
        }
        fill(f, kProfile);
        QTest::keyClick(f.txtBox[6], Qt::Key_Return);
        QVERIFY(f.cmdSave->hasFocus());
        QCOMPARE(highlightedCaptions(f), 0);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
        boxes->answer(platform::MsgResult::OK);
        QTest::keyClick(f.cmdSave, Qt::Key_Return);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 1);
    }

    void typingLimits() {
        showEntry();
        QTest::keyClicks(entry->fields.txtBox[4], "ONTX");
        QCOMPARE(entry->fields.txtBox[4]->text(), QString("ONT"));
        QTest::keyClicks(entry->fields.txtBox[0], QString(40, 'a'));
        QCOMPARE(entry->fields.txtBox[0]->text().size(), 35);
    }

    void exitEndsTheProgramAndEscapeDoesNothing() {
        showEntry();
        QTest::keyClick(entry, Qt::Key_Escape);
        QVERIFY(entry->isVisible());
        QCOMPARE(exits->exits, 0);
        QPointer<frmAddOwner> guard(entry);
        entry->fields.cmdExit->click();
        QCOMPARE(exits->exits, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!guard); // unloaded
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
    }

    void editFormShowsAndSavesTheProfile() {
        storeProfile();
        frmEditOwner form;
        form.show();
        QCOMPARE(form.windowTitle(), QString("Form1"));
        QCOMPARE(form.size(), QSize(370, 250));
        QCOMPARE(form.fields.Label12->text(), QString("Edit Owner Profile"));
        QVERIFY(!form.fields.Label1);
        for (int i = 0; i < owner::kFieldCount; ++i)
            QCOMPARE(form.fields.txtBox[i]->text(), kProfile[i]);
        QVERIFY(!rsRecords);

        form.fields.txtBox[6]->setText(" ann.lee@example.org ");
        form.fields.txtBox[0]->setText("O'Hara");
        boxes->answer(platform::MsgResult::OK);
        form.fields.cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Profile Information Saved! "));
        QCOMPARE(boxes->boxes()[0].title, QString("Record Saved Successfully"));
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Exclamation);
        const auto row =
            pf->query("SELECT OwnerID, Email, FullName, LName, DateAdd, DateMod FROM tblOwner");
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toString(), QString("O-1"));
        QCOMPARE(row[0][1].toString(), QString("ann.lee@example.org"));
        QCOMPARE(row[0][2].toString(), QString("Ann O'Hara"));
        QCOMPARE(row[0][3].toString(), QString("O'Hara"));
        QCOMPARE(row[0][4].toString(), QString("2026-03-01 10:00:00"));
        QVERIFY(!row[0][5].toString().isEmpty());
        QCOMPARE(strOwnerName, QString("Ann O'Hara"));
        QVERIFY(!form.isVisible()); // closed after the save
    }

    void editFormChecksAndExit() {
        storeProfile();
        auto *main = new frmMain;
        main->Form_Load();
        main->show();
        auto *sub = main->mdiArea()->addSubWindow(new frmEditOwner);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        auto *form = qobject_cast<frmEditOwner *>(sub->widget());
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        form->fields.txtBox[3]->setText("  ");
        boxes->answer(platform::MsgResult::OK);
        form->fields.cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("City Name is missing! "));
        QVERIFY(form->fields.txtBox[3]->hasFocus());
        QCOMPARE(pf->scalar("SELECT City FROM tblOwner").toString(), QString("Springfield"));
        QVERIFY(pf->scalar("SELECT DateMod FROM tblOwner").isNull());

        QPointer<QMdiSubWindow> guard(sub);
        boxes->answer(platform::MsgResult::Yes); // drop the emptied city
        form->fields.cmdExit->click();
        QCOMPARE(boxes->boxes().size(), 2);
        QCOMPARE(boxes->boxes()[1].prompt, QString("Discard the owner profile you have typed? "));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!guard);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
        QCOMPARE(exits->exits, 0);
        QVERIFY(pf->scalar("SELECT DateMod FROM tblOwner").isNull());
    }

    // A typed profile goes only when the user agrees: the entry form's eXit (which ends the
    // program) and the edit form's Ctrl+F4 ask; No keeps the form and the text, Yes goes on.
    // Untouched, or typed back to what was loaded, nothing is asked.
    void typedProfileIsNotDroppedSilently_data() {
        QTest::addColumn<bool>("entryForm");
        QTest::addColumn<bool>("drop");
        QTest::newRow("entry, No") << true << false;
        QTest::newRow("entry, Yes") << true << true;
        QTest::newRow("edit, No") << false << false;
        QTest::newRow("edit, Yes") << false << true;
    }
    void typedProfileIsNotDroppedSilently() {
        QFETCH(bool, entryForm);
        QFETCH(bool, drop);
        QPointer<QWidget> form;
        owner::OwnerFields *fields = nullptr;
        std::function<void()> leave;
        if (entryForm) {
            showEntry();
            form = entry;
            fields = &entry->fields;
            leave = [fields] { fields->cmdExit->click(); };
        } else {
            storeProfile();
            auto *main = new frmMain;
            main->Form_Load();
            main->show();
            main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main));
            main->findChild<QAction *>("mnuEditProfile")->trigger();
            QMdiSubWindow *sub = main->childWindow("frmEditOwner");
            QVERIFY(sub);
            auto *edit = qobject_cast<frmEditOwner *>(sub->widget());
            form = edit;
            fields = &edit->fields;
            leave = [main] { QTest::keyClick(main, Qt::Key_F4, Qt::ControlModifier); };
        }
        const QString loaded = fields->txtBox[2]->text();
        QTest::keyClicks(fields->txtBox[2], "2 Depot Road");
        boxes->answer(drop ? platform::MsgResult::Yes : platform::MsgResult::No);
        leave();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Discard the owner profile you have typed? "));
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Question);
        QCOMPARE(boxes->boxes()[0].defaultButton, platform::MsgDefault::Button2);
        QCOMPARE(exits->exits, entryForm && drop ? 1 : 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(form.isNull(), drop);
        if (drop)
            return;
        QCOMPARE(fields->txtBox[2]->text(), loaded + "2 Depot Road");

        // Typed back to what was loaded: it goes without a question.
        fields->txtBox[2]->selectAll();
        if (loaded.isEmpty())
            QTest::keyClick(fields->txtBox[2], Qt::Key_Delete);
        else
            QTest::keyClicks(fields->txtBox[2], loaded);
        leave();
        QCOMPARE(boxes->boxes().size(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);
    }

    void editFormWithoutAProfileOpensEmpty() {
        frmEditOwner form;
        for (QLineEdit *box : form.fields.txtBox)
            QVERIFY(box->text().isEmpty());
        QCOMPARE(boxes->boxes().size(), 0);
    }
};

QTEST_MAIN(TestOwner)
#include "tst_shell_owner.moc"
