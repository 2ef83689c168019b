// mkdat OUT.dat MANIFEST
// Each manifest line: INDEX KIND PATH, KIND being "bitmap" (a PNG) or "jpeg"
// (a JPEG file stored as it is). Indexes must run from 0 without holes, since
// the game addresses pictures by position only.
#include "datwriter.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

static const char USAGE[] = "usage: mkdat OUT.dat MANIFEST\n";

int main(int argc, char **argv)
{
    if (argc != 3) {
        fputs(USAGE, stderr);
        return 2;
    }
    std::ifstream manifest(argv[2]);
    if (!manifest) {
        fprintf(stderr, "mkdat: cannot read %s\n", argv[2]);
        return 1;
    }
    std::map<int, DatObject> byIndex;
    std::string line;
    int lineNo = 0;
    while (std::getline(manifest, line)) {
        lineNo++;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream fields(line);
        int index;
        std::string kind, path;
        if (!(fields >> index))
            continue;
        fields >> kind;
        std::getline(fields >> std::ws, path);
        while (!path.empty() && (path.back() == ' ' || path.back() == '\r'))
            path.pop_back();
        DatObject object;
        object.name = "PICTURE_" + std::to_string(index);
        std::string error;
        if (kind == "bitmap") {
            if (!LoadPngObject(path, object, error)) {
                fprintf(stderr, "mkdat: %s\n", error.c_str());
                return 1;
            }
        } else if (kind == "jpeg") {
            object.jpeg = true;
            if (!LoadFileBytes(path, object.bytes) || object.bytes.empty()) {
                fprintf(stderr, "mkdat: cannot read %s\n", path.c_str());
                return 1;
            }
        } else {
            fprintf(stderr, "mkdat: %s:%d: unknown kind '%s'\n", argv[2], lineNo, kind.c_str());
            return 1;
        }
        if (!byIndex.emplace(index, std::move(object)).second) {
            fprintf(stderr, "mkdat: %s:%d: index %d given twice\n", argv[2], lineNo, index);
            return 1;
        }
    }
    std::vector<DatObject> objects;
    for (auto &entry : byIndex) {
        if (entry.first != int(objects.size())) {
            fprintf(stderr, "mkdat: index %zu missing\n", objects.size());
            return 1;
        }
        objects.push_back(std::move(entry.second));
    }
    std::vector<uint8_t> bytes = EncodeDatafile(objects);
    std::string temp = std::string(argv[1]) + ".part";
    FILE *out = fopen(temp.c_str(), "wb");
    if (!out || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || fclose(out) != 0
        || rename(temp.c_str(), argv[1]) != 0) {
        fprintf(stderr, "mkdat: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
