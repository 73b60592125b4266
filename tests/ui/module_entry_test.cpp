// The built window module loads into millconv with every symbol bound and answers both entries.
#include <QtTest>

#include "support/process.h"
#include "ui/support/private_home.h"
#include "ui/window_mode.h"

class ModuleEntryTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void ModuleResolvesAgainstTheExecutable() {
        // millconv loads the module with RTLD_NOW, binding it to the core the executable
        // exports; only a module that loaded can tell that there is no display. (Loading it
        // into this test program instead would hold the window classes twice.)
        const QString home = millconv::test::UsePrivateHome();
        const std::string path = home.toStdString();
        auto environment = millconv::test::ChildEnvironment(home);
        environment["QT_QPA_PLATFORM"] = "";
        const std::string expected = std::string(millconv::ui::NoDisplayMessage()) + "\n";
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{}, std::vector<std::string>{"-T", path},
              std::vector<std::string>{"-U"}}) {
            const auto run =
                millconv::test::RunProgram(millconv::test::MillconvPath(), arguments, environment);
            QCOMPARE(run.err, expected);
            QCOMPARE(run.out, std::string());
            QCOMPARE(run.status, 1);
        }
    }
};

QTEST_GUILESS_MAIN(ModuleEntryTest)
#include "module_entry_test.moc"
