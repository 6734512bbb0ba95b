#!/usr/bin/env python3
"""Writes the seed corpora, one folder per target under the folder given
(fuzz/corpus/ when none is), from the logs in fuzz/logs/ and the examples
below. Texts are stored in CP932, as the programs see them."""
import hashlib
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus")


def sjis(text):
    return text.encode("cp932")


def write(target, seeds):
    out = os.path.join(SEEDS, target)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()[:16]
        with open(os.path.join(out, name), "wb") as f:
            f.write(seed)
    print(f"{target}: {len(set(seeds))} seeds")


def diagnostics():
    lines = [
        "main.c(12) : error C2065: 'x' : undeclared identifier",
        "C:\\Program Files\\x\\a.c(5) : error C1: y",
        "Error E2451 main.c 12: Undefined symbol 'x'",
        "main.c:12: error: 'x' undeclared",
        "src/lib/io.c:7: warning: implicit declaration of 'f'",
        "test.c 12: error: undeclared symbol",
        "C:/src/main.c:12: error: 'x' undeclared",
        "Error: , 42 foo(bar)",
        "Error: a.c, 5; Warning: b.c, 6",
        "test.c -12 Error: x",
        "ERROR 12: text",
        "a.c(99999999999999999999)",
        "make[1]: Entering directory 'C:/src/app'",
        "mingw32-make: *** No rule to make target 'x.o', needed by 'all'.  Stop.",
        "C:\\src\\app\\main.c:12:5: warning: unused variable 'y' [-Wunused-variable]",
        "Warning W8065 C:\\work\\proj\\makefile.cc 2585: Call to function 'f' with no prototype",
        "D:\\proj\\sub\\io.c:7:3: warning: x",
        "Error: ゾーン.c, line 5",
        "Error E2451 \t C:\\a.c 3: x",
    ]
    seeds = [sjis(l) for l in lines]
    for log in sorted(os.listdir(os.path.join(HERE, "logs"))):
        with open(os.path.join(HERE, "logs", log), encoding="utf-8") as f:
            seeds += [sjis(l.rstrip("\n")) for l in f if l.strip()]
    # Stray lead bytes before ASCII that the forms look for.
    seeds += [b"a\x81:12:", b"Error: a, 5] b\x81. 7 warning: q", b"\x81\x8c\xeb\x40 error",
              b"x\x81(3) : warning", b"\x83\x5c" * 200 + b"(7)"]
    seeds.append(b"cl /nologo " + b" ".join(b"-IC:\\sdk\\include\\part%d" % i for i in range(150)) + b" main.c")
    write("diagnostics", seeds)


def environment():
    def seed(flags, system, sysdir, windir, curdir, env):
        return bytes([flags]) + b"\x1e".join([sjis("\n".join(system)), sjis(sysdir), sjis(windir), sjis(curdir), sjis(env)])

    system = ["PATH=C:\\windows;C:\\bin", "LIB=C:\\sdk\\lib", "INCLUDE=C:\\sdk\\inc", "=C:=C:\\work", "PATHEXT=.COM;.EXE",
              "TEMP=C:\\ユーザー\\一時"]
    dirs = ("C:\\windows\\system32", "C:\\windows", "C:\\作業")
    seeds = [
        seed(1, system, *dirs, "INCLUDE=%CURRENTDIRECTORY%\\inc\r\nLIB=%lib%;c:\\lib\r\nA=%B% %C%\r\nPath=x\r\nX=%path%\r\n"),
        seed(0, system, *dirs, ""),
        seed(3, system, *dirs, "A=1\nB=%a%2\n\n\rC=%SystemDirectory%\\x"),
        seed(1, [f"S{i}={i}" for i in range(70)], *dirs, "NEW=1\r\nS5=five\r\nS63=last"),
        seed(0, [], *dirs, "L=" + "x" * 1100 + "\r\nV=" + "v" * 300 + "\r\nX=%V%;tail\r\nW=" + "a" * 700 + "%V%"),
        seed(1, system, *dirs, "=x\r\n =y\r\nX=%%\r\nPATH = y\r\nソ=表\r\nY=ソ%ソ%\r\nProgramFiles(x86)=D:\\x"),
        seed(1, ["N%d=" % i + "a" * 1017 for i in range(64)], *dirs, "N1=%N2%"),
        seed(1, ["PATH=" + "C:\\p;" * 700, "TEMP=C:\\t", "windir=C:\\windows"], *dirs,
             "PATH=%PATH%;C:\\MinGW\\bin\r\nP2=%PATH%%PATH%\r\nX=%TEMP%"),
    ]
    write("environment", seeds)


def makefile_profile():
    never = b"\x7f"
    full = "\r\n".join([
        "# Bravik の設定",
        "#BvExe\tC:\\tools\\make.exe  ",
        "#BvOpt -f %s",
        "#BvEnv INCLUDE=%CURRENTDIRECTORY%\\inc",
        "#BvEnv LIB=%lib%;c:\\lib",
        "#BvSenv 1", "#BvEdit C:\\秀丸\\hidemaru.exe", "#BvEopt /j%d", "#BvKind 1", "#BvClose 0",
        "#BvMulti 1", "#BvErrmsg 3", "#BvCur C:\\作業",
        "#Bravik \"nodebug=1\" リリース版のコンパイル",
        "#Bravik \"\" デバッグ版のコンパイル",
        "#Bravik  \"PROFILE=1 OPT=-O2\"\tプロファイル版 (最適化)",
        "#Bravik nodebug", "#Bravik \"x", "#Bravik \"x\"", "  #BvExe indented",
        "all:", "\t@echo done", ""])
    seeds = [never + sjis(full), b"\x00" + sjis(full), b"\x02" + sjis(full), never + b"",
             never + b"#BvExe " + b"x" * 700 + b"\n#Bravik \"" + b"m" * 600 + b"\" label\n",
             never + b"".join(b"#Bravik \"v=%d\" variant %d\n" % (i, i) for i in range(105)),
             never + b"".join(b"#BvEnv VAR%d=%s\n" % (i, b"v" * 40) for i in range(60)),
             never + b"#BvKind -7\n#BvSenv 99999999999999999999\n#BvErrmsg x\n#BvMulti 0\n",
             never + b"#BvKind 99999999999\n#Bravik \"\" " + b"x" * 498 + sjis("表\n#BvEnv A=") + b"e" * 500 + sjis("表\n")]
    data = os.path.join(HERE, "..", "tests", "data")
    for root, _, files in os.walk(data):
        for name in sorted(files):
            if name.endswith(".mak"):
                with open(os.path.join(root, name), "rb") as f:
                    seeds.append(never + f.read())
    write("makefile_profile", seeds)


def output_text():
    utf8 = "\u2018x\u2019 undeclared".encode("utf-8")
    seeds = [b"\x1b[01m\x1b[Kmain.c:3:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K" + utf8,
             "caf\u00e9 \U0001F600 \u3042\u8868 \uff71".encode("utf-8") + b" " + sjis("ソ表") + b"\x1b[0m\x1b(B",
             b"a\x1b[31\x82\xa0b\x1b", "\u3042".encode("utf-8") * 400 + b"\xe3\x81",
             b"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xf0\x9f\x98"]
    write("output_text", seeds)


def make_directories():
    nested = "\n".join(["make[1]: Entering directory 'C:/p/sub'", "x.c:1: error",
                        "make[2]: Entering directory `C:/p/sub/deep'", "make[2]: Leaving directory 'C:/p/sub/deep'",
                        "make[1]: Leaving directory \u2018C:/p/sub\u2019", "make[1]: Leaving directory 'C:/x'"])
    japanese = "\n".join(["make[1]: ディレクトリ 'C:/作業/ソース' に入ります", "a.c:1: エラー",
                          "make[1]: ディレクトリ `C:/作業/ソース' から出ます"])
    seeds = [nested.encode("cp932", "replace"), sjis(japanese),
             b"\n".join(b"make: Entering directory 'C:/d%d'" % i for i in range(70)),
             b"C:\\GnuMake\\make.exe[1]: Entering directory '" + b"d" * 300 + b"'"]
    write("make_directories", seeds)


if __name__ == "__main__":
    diagnostics()
    environment()
    makefile_profile()
    output_text()
    make_directories()
