/*
 * wine_check.exe - diagnostic for the private Wine test environment.
 *
 * Prints what the Windows side really sees: the ANSI/OEM code pages, the
 * drive types of C: and the fake CD/DVD drives E: F: G:, the volume
 * information of those drives, and which font file a request for the
 * Japanese UI faces ends up on.
 *
 * Exit code is a bit mask, 0 only when everything needed by the tests holds:
 *   1  GetACP() is not 932 (Japanese locale not active in Wine)
 *   2  E:, F: or G: is not DRIVE_CDROM (5)
 *   4  "ＭＳ Ｐゴシック" / "MS UI Gothic" do not land on the IPA P-Gothic font
 *   8  Wine's own UI font Marlett (caption buttons, scroll arrows) is missing
 *
 * "wine_check.exe remount efg" instead re-defines drives E: F: G: in Wine's
 * mount manager with their current folder and type, which makes Wine re-read
 * each disc's volume label and serial (.windows-label / .windows-serial);
 * Wine otherwise reads them only once, when the wineserver starts. Exit code
 * 0, or 16 when a drive could not be re-defined.
 *
 * Build: x86_64-w64-mingw32-gcc check.c -o wine_check.exe -luser32 -lgdi32
 * Output is UTF-8 text (face names are converted from UTF-16), one
 * "key=value" item per line, so shell scripts can grep it.
 */
#include <windows.h>
#include <winioctl.h>
#include <stdio.h>
#include <string.h>
#include <fcntl.h>
#include <io.h>

/* Print a UTF-16 string as UTF-8 (stdout is in binary mode). */
static void put_w(const WCHAR *s)
{
    char buf[512];
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, buf, sizeof buf, NULL, NULL);
    if (n > 0)
        fputs(buf, stdout);
}

/* Print bytes as hex, e.g. "93 fa 96 7b". */
static void put_hex(const unsigned char *p, int n)
{
    int i;
    for (i = 0; i < n; i++)
        printf("%s%02x", i ? " " : "", p[i]);
}

static unsigned be16(const unsigned char *p)
{
    return ((unsigned)p[0] << 8) | p[1];
}

/*
 * Read a name from the OpenType 'name' table of the font selected in dc.
 * This names the font file really used, independent of any alias Wine
 * (or Windows) reports through GetTextFace.
 */
static int font_file_name(HDC dc, unsigned name_id, WCHAR *out, int out_len)
{
    const DWORD tag = 'n' | ('a' << 8) | ('m' << 16) | ((DWORD)'e' << 24);
    DWORD size = GetFontData(dc, tag, 0, NULL, 0);
    unsigned char *tab;
    unsigned count, str_off, i;
    int found = 0;

    out[0] = 0;
    if (size == GDI_ERROR || size < 6)
        return 0;
    tab = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!tab)
        return 0;
    if (GetFontData(dc, tag, 0, tab, size) != size)
        goto done;
    count = be16(tab + 2);
    str_off = be16(tab + 4);
    /* Prefer Windows platform (3), US English (0x409); UTF-16BE strings. */
    for (i = 0; i < count && 6 + i * 12 + 12 <= size; i++) {
        const unsigned char *r = tab + 6 + i * 12;
        unsigned plat = be16(r), lang = be16(r + 4), id = be16(r + 6);
        unsigned len = be16(r + 8), off = be16(r + 10);
        unsigned j, n;
        if (plat != 3 || id != name_id || lang != 0x409)
            continue;
        if (str_off + off + len > size)
            continue;
        n = len / 2;
        if ((int)n >= out_len)
            n = out_len - 1;
        for (j = 0; j < n; j++)
            out[j] = (WCHAR)be16(tab + str_off + off + j * 2);
        out[n] = 0;
        found = 1;
        break;
    }
done:
    HeapFree(GetProcessHeap(), 0, tab);
    return found;
}

/*
 * Create a font by face name and report what is actually selected.
 * Returns 1 when the font file's family name equals want (NULL: any).
 */
static int check_face(HDC dc, const WCHAR *face, const WCHAR *want)
{
    LOGFONTW lf;
    HFONT font, old;
    WCHAR got[LF_FACESIZE], family[128], full[128];
    WORD glyph = 0;
    TEXTMETRICW tm;
    int ok;

    memset(&lf, 0, sizeof lf);
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    font = CreateFontIndirectW(&lf);
    old = (HFONT)SelectObject(dc, font);

    got[0] = 0;
    GetTextFaceW(dc, LF_FACESIZE, got);
    font_file_name(dc, 1, family, 128);
    font_file_name(dc, 4, full, 128);
    memset(&tm, 0, sizeof tm);
    GetTextMetricsW(dc, &tm);
    /* U+30B4 KATAKANA GO: must exist, else Japanese text shows boxes. */
    if (GetGlyphIndicesW(dc, L"\x30B4", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        glyph = 0xFFFF;

    ok = glyph != 0xFFFF && family[0] != 0 &&
         (want ? lstrcmpW(family, want) == 0 : 1);

    printf("font_request=");
    put_w(face);
    printf(" text_face=");
    put_w(got);
    printf(" file_family=");
    put_w(family[0] ? family : L"(none)");
    printf(" file_full=");
    put_w(full[0] ? full : L"(none)");
    printf(" charset=%u glyph_30B4=%s", (unsigned)tm.tmCharSet,
           glyph == 0xFFFF ? "missing" : "present");
    if (want) {
        printf(" want=");
        put_w(want);
        printf(" %s", ok ? "OK" : "FAIL");
    }
    printf("\n");

    SelectObject(dc, old);
    DeleteObject(font);
    return ok;
}

/* Wine's mount manager extension (Wine's include/ddk/mountmgr.h). */
#define WINE_MOUNTMGR_TYPE 0x0000006D
#define WINE_IOCTL_DEFINE_UNIX_DRIVE \
    CTL_CODE(WINE_MOUNTMGR_TYPE, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS)
#define WINE_IOCTL_QUERY_UNIX_DRIVE \
    CTL_CODE(WINE_MOUNTMGR_TYPE, 33, METHOD_BUFFERED, FILE_READ_ACCESS)
struct wine_unix_drive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};

/* Re-define a drive with the folder and type it has now. */
static int remount(char letter)
{
    union { struct wine_unix_drive d; char raw[4096]; } q;
    union { struct wine_unix_drive d; char raw[4096]; } def;
    const char *mount;
    DWORD got = 0, len;
    HANDLE mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, 0);
    if (mgr == INVALID_HANDLE_VALUE) {
        printf("remount %c: cannot open mount manager, error %lu\n", letter,
               (unsigned long)GetLastError());
        return 16;
    }
    memset(&q, 0, sizeof q);
    q.d.letter = (WCHAR)letter;
    if (!DeviceIoControl(mgr, WINE_IOCTL_QUERY_UNIX_DRIVE, &q, sizeof q.d, &q, sizeof q,
                         &got, NULL) || !q.d.mount_point_offset ||
        q.d.mount_point_offset >= sizeof q.raw) {
        printf("remount %c: drive unknown to the mount manager, error %lu\n", letter,
               (unsigned long)GetLastError());
        CloseHandle(mgr);
        return 16;
    }
    q.raw[sizeof q.raw - 1] = 0;
    mount = q.raw + q.d.mount_point_offset;
    len = (DWORD)(sizeof def.d + strlen(mount) + 1);
    if (len > sizeof def.raw) {
        CloseHandle(mgr);
        return 16;
    }
    memset(&def, 0, sizeof def);
    def.d.size = len;
    def.d.type = q.d.type;
    def.d.letter = (WCHAR)letter;
    def.d.mount_point_offset = sizeof def.d;
    strcpy(def.raw + sizeof def.d, mount);
    if (!DeviceIoControl(mgr, WINE_IOCTL_DEFINE_UNIX_DRIVE, &def, len, NULL, 0, &got, NULL)) {
        printf("remount %c: define failed, error %lu\n", letter, (unsigned long)GetLastError());
        CloseHandle(mgr);
        return 16;
    }
    CloseHandle(mgr);
    printf("remount %c: type=%lu folder=%s\n", letter, (unsigned long)q.d.type, mount);
    return 0;
}

/* A symbol font must be found under its own name, not a fallback. */
static int check_symbol_face(HDC dc, const WCHAR *face)
{
    LOGFONTW lf;
    HFONT font, old;
    WCHAR family[128];
    int ok;

    memset(&lf, 0, sizeof lf);
    lf.lfHeight = -12;
    lf.lfCharSet = SYMBOL_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    font = CreateFontIndirectW(&lf);
    old = (HFONT)SelectObject(dc, font);
    font_file_name(dc, 1, family, 128);
    ok = lstrcmpiW(family, face) == 0;
    printf("font_request=");
    put_w(face);
    printf(" file_family=");
    put_w(family[0] ? family : L"(none)");
    printf(" %s\n", ok ? "OK" : "FAIL");
    SelectObject(dc, old);
    DeleteObject(font);
    return ok;
}

int main(int argc, char **argv)
{
    static const char *const drives[] = { "C:\\", "E:\\", "F:\\", "G:\\" };
    /* "日本語" in UTF-16; under CP932 it must become 93 FA 96 7B 8C EA. */
    static const WCHAR nihongo[] = { 0x65E5, 0x672C, 0x8A9E, 0 };
    unsigned acp = GetACP();
    int rc = 0, i, n;
    char sjis[16];
    HDC dc;

    _setmode(_fileno(stdout), _O_BINARY);

    if (argc == 3 && strcmp(argv[1], "remount") == 0) {
        const char *p;
        for (p = argv[2]; *p; p++)
            if (*p != ':')
                rc |= remount((char)(*p | 0x20));
        return rc;
    }

    printf("acp=%u\n", acp);
    printf("oemcp=%u\n", GetOEMCP());
    printf("user_lcid=0x%04lx\n", (unsigned long)GetUserDefaultLCID());
    n = WideCharToMultiByte(CP_ACP, 0, nihongo, -1, sjis, sizeof sjis, NULL, NULL);
    printf("acp_bytes_nihongo=");
    put_hex((const unsigned char *)sjis, n > 0 ? n - 1 : 0);
    printf("\n");
    if (acp != 932)
        rc |= 1;

    for (i = 0; i < 4; i++) {
        UINT t = GetDriveTypeA(drives[i]);
        char label[MAX_PATH + 1] = "", fs[MAX_PATH + 1] = "";
        DWORD serial = 0, maxlen = 0, flags = 0;
        BOOL vol = GetVolumeInformationA(drives[i], label, sizeof label, &serial,
                                         &maxlen, &flags, fs, sizeof fs);
        DWORD err = vol ? 0 : GetLastError();
        printf("drive %c: type=%u", drives[i][0], t);
        if (vol)
            printf(" label=\"%s\" fs=%s serial=%08lx", label, fs, (unsigned long)serial);
        else
            printf(" volume_error=%lu", (unsigned long)err);
        printf("\n");
        if (i > 0 && t != DRIVE_CDROM)
            rc |= 2;
    }

    /* A memory DC is enough for font selection; no window needed. */
    dc = CreateCompatibleDC(NULL);
    if (!dc) {
        printf("font_dc=FAIL error=%lu\n", (unsigned long)GetLastError());
        rc |= 4;
    } else {
        if (!check_face(dc, L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF", L"IPAPGothic")) /* ＭＳ Ｐゴシック */
            rc |= 4;
        if (!check_face(dc, L"MS UI Gothic", L"IPAPGothic"))
            rc |= 4;
        /* Informational: the rest of the usual Japanese UI faces. */
        check_face(dc, L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF", NULL); /* ＭＳ ゴシック */
        check_face(dc, L"MS PGothic", NULL);
        check_face(dc, L"MS Shell Dlg", NULL);
        check_face(dc, L"MS Shell Dlg 2", NULL);
        check_face(dc, L"\xFF2D\xFF33 \x660E\x671D", NULL); /* ＭＳ 明朝 */
        if (!check_symbol_face(dc, L"Marlett"))
            rc |= 8;
        DeleteDC(dc);
    }

    printf("result=%s rc=%d\n", rc ? "FAIL" : "OK", rc);
    return rc;
}
