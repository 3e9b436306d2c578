#include "BssEntry.h"

#include "support/TestDataDir.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    size_t b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

} // namespace

std::vector<Beacon> LoadBeacons(std::string* where)
{
    const std::string dir = kqtest::TestDataDir() + "/beacons";
    *where = dir;
    std::vector<Beacon> beacons;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "/*.txt").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return beacons;
    do {
        Beacon b;
        b.name = fd.cFileName;
        b.name.resize(b.name.size() - 4);
        std::ifstream in(dir + "/" + fd.cFileName);
        std::string line;
        while (std::getline(in, line)) {
            if (line.compare(0, 5, "body ") == 0) {
                b.body = FromHex(Trim(line.substr(5)));
            } else if (line.compare(0, 4, "#   ") == 0) {
                size_t eq = line.find(" = ");
                if (eq != std::string::npos)
                    b.decoded[Trim(line.substr(4, eq - 4))] = Trim(line.substr(eq + 3));
            }
        }
        if (!b.body.empty())
            beacons.push_back(b);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(beacons.begin(), beacons.end(),
              [](const Beacon& x, const Beacon& y) { return x.name < y.name; });
    return beacons;
}
