#include "SwitcherRig.h"

#include <QTest>

using namespace lettergate;

// Every key of the panel's vocabulary on every page, and Back on every page, each row
// starting from a freshly reset panel over the same furnished stores.
class KeyVocabularyTest : public QObject {
    Q_OBJECT
private slots:
    void keyVocabulary()
    {
        SwitcherRig rig;
        furnish(rig);
        const struct {
            QStringList before;
            QString key, result, stage, pending;
        } rows[] = {
            // The apps page with nothing armed.
            {{}, "E", "fire 100", "apps", "none"},
            {{}, "t", "drilled", "windows 20", "none"},
            {{}, "V", "awaiting", "apps", "clipboard"},
            {{}, "f", "launchApp org.example.Files Files", "apps", "none"},
            {{}, "G", "launchApp org.example.Gone org.example.Gone", "apps", "none"},
            {{}, "z", "rejected", "apps", "none"},
            {{}, "", "rejected", "apps", "none"},
            // The apps page with a list key armed.
            {{"v"}, "v", "drilled", "clipboard", "none"},
            {{"v"}, "3", "pasteClip third", "apps", "none"},
            {{"v"}, "4", "rejected", "apps", "none"},
            {{"v"}, "e", "rejected", "apps", "none"},
            {{"v"}, "b", "rejected", "apps", "none"},
            {{"b"}, "2", "pasteSnippet s2", "apps", "none"},
            {{"q"}, "1", "openLink l1", "apps", "none"},
            {{"m"}, "1", "runCommand c1", "apps", "none"},
            // One app's windows.
            {{"t"}, "3", "fire 203", "windows 20", "none"},
            {{"t"}, "4", "rejected", "windows 20", "none"},
            {{"t"}, "v", "rejected", "windows 20", "none"},
            // Full list pages.
            {{"v", "v"}, "1", "pasteClip first", "clipboard", "none"},
            {{"v", "v"}, "v", "rejected", "clipboard", "none"},
            {{"m", "m"}, "2", "rejected", "commands", "none"},
        };
        for (const auto &row : rows) {
            rig.model.reset(furnishedApps());
            type(rig.model, row.before);
            QCOMPARE(describe(rig.model.handle(row.key)), row.result);
            QCOMPARE(describe(rig.model.stage()) + u'|' + describe(rig.model.pending()),
                     row.stage + u'|' + row.pending);
        }
    }
};

QTEST_GUILESS_MAIN(KeyVocabularyTest)
#include "key_vocabulary_test.moc"
