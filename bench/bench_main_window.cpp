// The main window with a full account table: a keystroke in the account combo box (completion and button
// updates), a lookup with GO, and the save after Add, Change and Delete. Runs offscreen.
#include "SilentPlatform.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/model/AccountBook.h"
#include "app/model/Session.h"
#include "ui/main/Form1.h"
#include "ui/main/LanguageTextRules.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures
{
    double median, p90, max;
};

Figures figuresOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

void key(QWidget* target, int code, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

std::string nameOf(int i)
{
    // Names spread over the alphabet, so completion lands all over the sorted list.
    static const char* const words[] = {"bank", "mail", "shop", "forum", "cloud", "game", "news", "work"};
    return std::string(words[i % 8]) + "-" + std::to_string(i * 7919 % 100000);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("coffernote-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    AgreeingPlatform platform;
    int status = 0;
    {
        const LanguageTextRules rules;
        Session session(folder.string(), platform, rules);
        AppState& state = session.state();
        Login& login = session.login();
        if (!WriteOptionsFile(state.programFolder, OptionsRecord::defaults()).isOk()) {
            std::fprintf(stderr, "cannot write the options file in %s\n", folder.string().c_str());
            return 1;
        }

        // A full table: the header and 32,765 accounts.
        AccountTable table{MakeHeaderRecord({}, {}, {})};
        for (int i = 1; table.size() < kMaxRecords; ++i) {
            AccountRecord r;
            r.RecordNo = static_cast<std::int16_t>(table.size());
            r.AccountName = nameOf(i);
            r.Website = "https://" + r.AccountName + ".example.com/login";
            r.Notes = "notes of account " + std::to_string(i);
            r.UserId = "user" + std::to_string(i) + "@example.com";
            r.Password = "Pw" + std::to_string(i * 31337);
            table.push_back(std::move(r));
        }
        if (!SaveAccountFile(state, login, table).isOk()) {
            std::fprintf(stderr, "cannot store the accounts\n");
            return 1;
        }

        // The session's one load of the account file, and the window's load sequence on its table.
        Form1 form(session, [](ExitStatus) {});
        double loadMs = millisecondsOf([&] {
            if (!session.load().isOk())
                std::exit(1);
            form.Form_Load();
        });
        form.show();
        QApplication::processEvents();
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("cboSelect"));
        auto* go = form.findChild<QPushButton*>(QStringLiteral("cmdGo"));
        auto* add = form.findChild<QPushButton*>(QStringLiteral("Add_Account"));
        auto* change = form.findChild<QPushButton*>(QStringLiteral("cmdChange"));
        auto* del = form.findChild<QPushButton*>(QStringLiteral("cmdDelete"));
        auto* password = form.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        QLineEdit* edit = combo->lineEdit();
        const std::size_t records = form.book().table().size();

        auto clearCombo = [&] {
            edit->selectAll();
            key(edit, Qt::Key_Backspace);
        };

        // Keystrokes: type names letter by letter, as a person does, completion after every letter.
        std::mt19937 pick(12345);
        std::vector<double> keystroke, keystrokePainted;
        int completed = 0;
        for (int n = 0; n < 200; ++n) {
            clearCombo();
            const QString name = QString::fromStdString(nameOf(1 + static_cast<int>(pick() % 32000)));
            for (QChar c : name.left(8)) {
                keystroke.push_back(millisecondsOf([&] { key(edit, 0, QString(c)); }));
                keystrokePainted.push_back(millisecondsOf([&] { QApplication::processEvents(); }));
                completed += edit->hasSelectedText() ? 1 : 0;
            }
            // Every name typed is in the list: the text must have completed to one of them.
            if (!edit->text().startsWith(name.left(8), Qt::CaseInsensitive) || !add->isEnabled()) {
                std::fprintf(stderr, "typing %s left \"%s\"\n", qPrintable(name), qPrintable(edit->text()));
                status = 1;
            }
        }
        if (completed == 0) {
            std::fprintf(stderr, "no keystroke completed a name\n");
            status = 1;
        }
        for (std::size_t i = 0; i < keystrokePainted.size(); ++i)
            keystrokePainted[i] += keystroke[i];

        // GO: look up stored names (a full scan every time), website launch and mode switch included.
        std::vector<double> lookups;
        for (int n = 0; n < 300; ++n) {
            const std::size_t at = 1 + pick() % (records - 1);
            edit->setText(QString::fromStdString(form.book().table()[at].AccountName));
            go->setEnabled(true);
            lookups.push_back(millisecondsOf([&] { go->click(); }));
        }

        // Saves: Delete (the table drops to 32,765 records), Add (back to full), Change.
        std::vector<double> deletes, adds, changes;
        for (int n = 0; n < 3; ++n) {
            const std::size_t at = 1 + pick() % (records - 1);
            const QString name = QString::fromStdString(form.book().table()[at].AccountName);
            edit->setText(name);
            go->click();
            deletes.push_back(millisecondsOf([&] { del->click(); }));

            clearCombo();
            for (QChar c : QStringLiteral("zz-new-account-") + QString::number(n))
                key(edit, 0, QString(c));
            adds.push_back(millisecondsOf([&] { add->click(); }));

            key(password, 0, QStringLiteral("x")); // a change in a box: Change is enabled
            changes.push_back(millisecondsOf([&] { change->click(); }));
        }
        if (form.book().table().size() != records) {
            std::fprintf(stderr, "the table ended with %zu records\n", form.book().table().size());
            status = 1;
        }

        const Figures k = figuresOf(keystroke), kp = figuresOf(keystrokePainted), g = figuresOf(lookups);
        const Figures d = figuresOf(deletes), a = figuresOf(adds), c = figuresOf(changes);
        std::vector<double> saves = deletes;
        saves.insert(saves.end(), adds.begin(), adds.end());
        saves.insert(saves.end(), changes.begin(), changes.end());
        const Figures s = figuresOf(saves);

        std::printf("Main window, %zu records (the header and %zu accounts, the most the table holds)\n", records,
                    records - 1);
        std::printf("%-36s %10s %10s %10s %7s\n", "operation", "median ms", "p90 ms", "max ms", "runs");
        auto row = [](const char* what, const Figures& f, std::size_t runs) {
            std::printf("%-36s %10.3f %10.3f %10.3f %7zu\n", what, f.median, f.p90, f.max, runs);
        };
        row("keystroke in the combo box", k, keystroke.size());
        row("keystroke, repaint included", kp, keystrokePainted.size());
        row("GO (lookup, website, mode)", g, lookups.size());
        row("Delete (question, save)", d, deletes.size());
        row("Add (save)", a, adds.size());
        row("Change (save)", c, changes.size());
        std::printf("%-36s %10.3f\n", "window load", loadMs);
        std::printf("keystrokes that completed a name: %d of %zu\n", completed, keystroke.size());
        // The model alone, as the window drives it: completion per keystroke, and GO.
        {
            AccountTable copy = session.table();
            AccountBook book(state, login, copy, rules);
            book.open();
            std::vector<double> modelKeys, modelGo;
            for (int n = 0; n < 200; ++n) {
                const std::string name = nameOf(1 + static_cast<int>(pick() % 32000));
                for (std::size_t len = 1; len <= 8; ++len) {
                    const std::string typed = name.substr(0, len);
                    modelKeys.push_back(millisecondsOf([&] { book.typeName(typed, static_cast<int>(len)); }));
                }
            }
            for (int n = 0; n < 300; ++n) {
                book.setComboTextQuietly(book.table()[1 + pick() % (records - 1)].AccountName);
                modelGo.push_back(millisecondsOf([&] { (void)book.lookUp(); }));
            }
            row("model: keystroke (completion)", figuresOf(modelKeys), modelKeys.size());
            row("model: GO", figuresOf(modelGo), modelGo.size());
        }
        std::printf("main_window accounts=%zu keystroke_ms=%.3f go_ms=%.3f save_ms=%.3f\n", records, k.median, g.median,
                    s.median);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return status;
}
