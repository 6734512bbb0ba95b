// uninstal-script: builds an uninstall script from its text description and
// appends it to UnInstal.exe, or dumps a script back to that text.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tools/uninstal-script/script_text.h"
#include "tools/uninstal-script/text_encoding.h"
#include "uninstal/core/script_format.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

using namespace uninstal_script;

namespace {

const char Usage[] =
    "usage: uninstal-script build DESCRIPTION UNINSTAL.EXE OUTPUT [--install-dir DIR]\n"
    "         appends the script to the first 0xC000 bytes of UNINSTAL.EXE\n"
    "       uninstal-script script DESCRIPTION OUTPUT [--install-dir DIR]\n"
    "         writes the script alone (header and data)\n"
    "       uninstal-script dump FILE [--offset N]\n"
    "         prints the description of the script at offset N (default 0xC000)\n"
    "       uninstal-script check FILE [--offset N]\n"
    "         says whether the uninstaller would take the script\n";

bool ReadWholeFile(const char* path, std::string* bytes) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool WriteWholeFile(const char* path, const std::string& bytes) {
    FILE* file = fopen(path, "wb");
    if (!file) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

int Fail(const std::string& message) {
    fprintf(stderr, "uninstal-script: %s\n", message.c_str());
    return 1;
}

struct Options {
    const char* positional[3];
    int count;
    const char* installDir;
    unsigned long offset;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    memset(options, 0, sizeof *options);
    options->offset = SCRIPT_OFFSET;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--install-dir") == 0 && i + 1 < argc) {
            options->installDir = argv[++i];
        } else if (strcmp(argv[i], "--offset") == 0 && i + 1 < argc) {
            char* end;
            options->offset = strtoul(argv[++i], &end, 0);
            if (*end) return false;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return false;
        } else if (options->count < 3) {
            options->positional[options->count++] = argv[i];
        } else {
            return false;
        }
    }
    return true;
}

bool BuildImage(const char* descriptionPath, const char* installDirArgument, ScriptImage* image) {
    std::string text, error, warnings, installDir;
    if (!ReadWholeFile(descriptionPath, &text)) return Fail(std::string("cannot read ") + descriptionPath), false;
    if (installDirArgument && !ArgumentToCp932(installDirArgument, &installDir))
        return Fail("the install directory has no code page 932 form"), false;
    if (!ParseDescription(text, installDirArgument ? &installDir : nullptr, image, &error, &warnings))
        return Fail(std::string(descriptionPath) + ": " + error), false;
    if (!warnings.empty()) fprintf(stderr, "uninstal-script: %s", warnings.c_str());
    return true;
}

int Build(const Options& o) {
    if (o.count != 3) return Fail("build needs DESCRIPTION UNINSTAL.EXE OUTPUT");
    ScriptImage image;
    if (!BuildImage(o.positional[0], o.installDir, &image)) return 1;
    std::string base;
    if (!ReadWholeFile(o.positional[1], &base)) return Fail(std::string("cannot read ") + o.positional[1]);
    if (base.size() < SCRIPT_OFFSET)
        return Fail(std::string(o.positional[1]) + " is shorter than 0xC000 bytes: not a padded UnInstal image");
    if (base.size() > SCRIPT_OFFSET)
        fprintf(stderr, "uninstal-script: replacing the %lu bytes after the image of %s\n",
                (unsigned long)(base.size() - SCRIPT_OFFSET), o.positional[1]);
    std::string output = base.substr(0, SCRIPT_OFFSET) + image.Bytes();
    if (!WriteWholeFile(o.positional[2], output)) return Fail(std::string("cannot write ") + o.positional[2]);
    printf("%s: dataLength %lu, %lu bytes\n", o.positional[2], (unsigned long)image.data.size(),
           (unsigned long)output.size());
    return 0;
}

int Script(const Options& o) {
    if (o.count != 2) return Fail("script needs DESCRIPTION OUTPUT");
    ScriptImage image;
    if (!BuildImage(o.positional[0], o.installDir, &image)) return 1;
    if (!WriteWholeFile(o.positional[1], image.Bytes())) return Fail(std::string("cannot write ") + o.positional[1]);
    return 0;
}

bool ReadScriptBytes(const Options& o, std::string* bytes) {
    std::string file;
    if (o.count != 1) return Fail("needs one FILE"), false;
    if (!ReadWholeFile(o.positional[0], &file)) return Fail(std::string("cannot read ") + o.positional[0]), false;
    if (file.size() < o.offset + SCRIPT_HEADER_SIZE)
        return Fail(std::string(o.positional[0]) + " holds no script header at the offset"), false;
    *bytes = file.substr(o.offset);
    return true;
}

int Dump(const Options& o) {
    std::string bytes, text, error;
    if (!ReadScriptBytes(o, &bytes)) return 1;
    if (!DumpDescription(bytes, &text, &error)) return Fail(error);
    fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int Check(const Options& o) {
    std::string bytes;
    if (!ReadScriptBytes(o, &bytes)) return 1;
    ScriptFault fault = CheckScript(bytes.data(), bytes.size());
    ScriptHeader header;
    memcpy(&header, bytes.data(), sizeof header);
    if (fault != SCRIPT_SOUND) {
        printf("refused: %s\n", DescribeScriptFault(fault));
        return 1;
    }
    printf("sound: dataLength %lu, flags 0x%lX, install-dir %s\n", (unsigned long)header.dataLength,
           (unsigned long)header.uninstallFlags, header.installDir[0] ? "set" : "empty");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    if (argc < 2 || !ParseOptions(argc, argv, &options)) {
        fputs(Usage, stderr);
        return 2;
    }
    const char* command = argv[1];
    if (strcmp(command, "build") == 0) return Build(options);
    if (strcmp(command, "script") == 0) return Script(options);
    if (strcmp(command, "dump") == 0) return Dump(options);
    if (strcmp(command, "check") == 0) return Check(options);
    fputs(Usage, stderr);
    return 2;
}
