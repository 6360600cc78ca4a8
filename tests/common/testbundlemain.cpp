// The main() of a folder's test program: `<program> <test> [Qt Test options]`
// runs one test (named as ctest names it, or by its class) in this process,
// exactly as the test's own program would; without a test it lists them.

#include "testbundle.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace NoxTestBundle
{

// The folder's tests as the build knows them (generated beside the program).
struct Listed {
    const char* testName; // the ctest name
    const char* fileStem; // its test file's name without folder and extension
    int application;      // what QTEST_MAIN makes: 2 QApplication, 1 QGuiApplication, 0 QCoreApplication
};
extern const Listed kListed[];
extern const int kListedCount;

} // namespace NoxTestBundle

namespace
{

struct Registered {
    std::string fileStem;
    const char* className;
    NoxTestBundle::Runner run;
};

std::vector<Registered>& registered()
{
    static std::vector<Registered> list;
    return list;
}

int g_application = 2;

std::string stemOf(const char* file)
{
    std::string s(file);
    const size_t slash = s.find_last_of("/\\");
    if (slash != std::string::npos) {
        s.erase(0, slash + 1);
    }
    const size_t dot = s.rfind('.');
    return dot == std::string::npos ? s : s.substr(0, dot);
}

void listTests(FILE* out)
{
    for (int i = 0; i < NoxTestBundle::kListedCount; ++i) {
        std::fprintf(out, "  %s\n", NoxTestBundle::kListed[i].testName);
    }
}

const NoxTestBundle::Listed* listedByName(const char* name)
{
    for (int i = 0; i < NoxTestBundle::kListedCount; ++i) {
        if (std::strcmp(NoxTestBundle::kListed[i].testName, name) == 0) {
            return &NoxTestBundle::kListed[i];
        }
    }
    return nullptr;
}

const Registered* registeredFor(const char* name, const NoxTestBundle::Listed* listed)
{
    const Registered* found = nullptr;
    for (const Registered& r : registered()) {
        const bool match = listed ? r.fileStem == listed->fileStem : std::strcmp(r.className, name) == 0;
        if (match) {
            if (found) {
                std::fprintf(stderr, "two test classes answer to \"%s\"\n", name);
                return nullptr;
            }
            found = &r;
        }
    }
    return found;
}

} // namespace

int NoxTestBundle::add(const char* file, const char* className, Runner run)
{
    registered().push_back({stemOf(file), className, run});
    return int(registered().size());
}

std::unique_ptr<QCoreApplication> NoxTestBundle::makeApplication(int& argc, char* argv[])
{
    switch (g_application) {
    case 0:
        return std::make_unique<QCoreApplication>(argc, argv);
    case 1:
        return std::make_unique<QGuiApplication>(argc, argv);
    default:
        return std::make_unique<QApplication>(argc, argv);
    }
}

int main(int argc, char* argv[])
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s TEST [Qt Test options]\nTests:\n", argv[0]);
        listTests(stderr);
        return 2;
    }
    const NoxTestBundle::Listed* listed = listedByName(argv[1]);
    const Registered* test = registeredFor(argv[1], listed);
    if (!test) {
        std::fprintf(stderr, "%s: no test \"%s\"; the tests here:\n", argv[0], argv[1]);
        listTests(stderr);
        return 2;
    }
    if (listed) {
        g_application = listed->application;
    } else {
        for (int i = 0; i < NoxTestBundle::kListedCount; ++i) {
            if (test->fileStem == NoxTestBundle::kListed[i].fileStem) {
                g_application = NoxTestBundle::kListed[i].application;
            }
        }
    }
    // The test's name becomes the program name it sees (its application
    // name, and the name Qt Test reports), as when it was a program of its own.
    return test->run(argc - 1, argv + 1);
}
