// The built window module loads with every symbol bound and exports its entry points.
#include <QtTest>

#include <dlfcn.h>

class ModuleEntryTest : public QObject {
    Q_OBJECT
  private slots:
    void ModuleResolvesAgainstTheExecutable() {
        // The module binds to the core inside the executable; this test program exports
        // its linked core the same way, so RTLD_NOW fails on any symbol neither provides.
        void* module = dlopen(MILLCONV_BINARY_DIR "millconv-ui.so", RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(module != nullptr, dlerror());
        QVERIFY(dlsym(module, "millconv_run_window") != nullptr);
        QVERIFY(dlsym(module, "millconv_run_screenshots") != nullptr);
    }
};

QTEST_GUILESS_MAIN(ModuleEntryTest)
#include "module_entry_test.moc"
