// The browser and messenger cleaners late-bound from a script: the seven
// probes before and after the installations are seeded, and a cleaning of a
// seeded Firefox profile and MSN received-files folder.
var failed = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok     " : "FAILED ") + what);
    if (!ok) failed++;
}
function exists(shell, value) {
    try {
        shell.RegRead(value);
        return true;
    } catch (e) {
        return false;
    }
}

var fso = new ActiveXObject("Scripting.FileSystemObject");
var shell = new ActiveXObject("WScript.Shell");
function makeFolders(path) {
    if (fso.FolderExists(path)) return;
    makeFolders(fso.GetParentFolderName(path));
    fso.CreateFolder(path);
}
// Wine's shell object hands some texts back with a closing NUL.
function cutAtNul(text) {
    var nul = text.indexOf(String.fromCharCode(0));
    return nul < 0 ? text : text.substring(0, nul);
}
function write(path, text) {
    makeFolders(fso.GetParentFolderName(path));
    var f = fso.CreateTextFile(path, true);
    f.Write(text);
    f.Close();
}

// cscript ends with 0 after an error it does not catch, so every error is
// caught and counted.
function main() {
    // The library registered from a copy in the scratch folder, so that its daily
    // log lies in the sandbox too.
    if (!fso.FolderExists("S:\\velmora")) fso.CreateFolder("S:\\velmora");
    fso.CopyFile("Y:\\Velmora.dll", "S:\\velmora\\Velmora.dll", true);
    check(shell.Run("regsvr32 /s S:\\velmora\\Velmora.dll", 0, true) == 0, "registered the library copy");

    var browserProbes = ["FireFoxExist", "OperaExist", "NetScapeExist"];
    var chatProbes = ["MSNExist", "YahooExist", "ICQExist"];
    var brows = new ActiveXObject("Velmora.BrowsCls");
    var chat = new ActiveXObject("Velmora.ChatCls");
    check(brows.IEExist == true, "Internet Explorer is there in every prefix");
    for (var i = 0; i < browserProbes.length; i++) check(brows[browserProbes[i]] == false, browserProbes[i] + " before");
    for (var i = 0; i < chatProbes.length; i++) check(chat[chatProbes[i]] == false, chatProbes[i] + " before");

    var appPaths = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    shell.RegWrite(appPaths + "firefox.exe\\", "C:\\Program Files\\Mozilla Firefox\\firefox.exe", "REG_SZ");
    shell.RegWrite(appPaths + "Netscape.exe\\", "", "REG_SZ");
    shell.RegWrite("HKCU\\Software\\Opera Software\\", "", "REG_SZ");
    shell.RegWrite("HKCU\\Software\\Microsoft\\MSNMessenger\\", "", "REG_SZ");
    shell.RegWrite("HKLM\\SOFTWARE\\Yahoo\\pager\\", "", "REG_SZ");
    shell.RegWrite("HKLM\\SOFTWARE\\Mirabilis\\ICQ\\", "", "REG_SZ");

    var appData = cutAtNul(shell.ExpandEnvironmentStrings("%APPDATA%"));
    var profile = appData + "\\Mozilla\\Firefox\\Profiles\\s.default";
    write(appData + "\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=default\r\nPath=Profiles/s.default\r\n");
    write(profile + "\\cookies.txt", "cookie");
    write(profile + "\\history.dat", "history");
    write(profile + "\\prefs.js", "prefs");
    var received = shell.RegRead("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\Personal") + "\\MSN in";
    write(received + "\\photo.jpg", "photo");
    shell.RegWrite("HKCU\\Software\\Microsoft\\MSNMessenger\\FtReceiveFolder", received, "REG_SZ");

    // Profiles are found when a cleaner is made.
    brows = new ActiveXObject("Velmora.BrowsCls");
    for (var i = 0; i < browserProbes.length; i++) check(brows[browserProbes[i]] == true, browserProbes[i] + " after");
    for (var i = 0; i < chatProbes.length; i++) check(chat[chatProbes[i]] == true, chatProbes[i] + " after");

    brows.BrowsReset();
    brows.FFRemoveCookies = true;
    brows.FFCleanHistory = true;
    brows.StartClean();
    check(!fso.FileExists(profile + "\\cookies.txt"), "Firefox's cookies are gone");
    check(!fso.FileExists(profile + "\\history.dat"), "Firefox's history is gone");
    check(fso.FileExists(profile + "\\prefs.js"), "the rest of the profile stays");
    check(typeof brows.get_cache_list() == "string", "the cache list is a text");

    chat.ChatReset();
    chat.CleanMSNRecived = true;
    chat.StartClean();
    check(!fso.FileExists(received + "\\photo.jpg"), "MSN's received file is gone");
    check(fso.FolderExists(received), "MSN's received-files folder stays");
    check(exists(shell, "HKCU\\Software\\Microsoft\\MSNMessenger\\ShowEmoticons"), "the emoticons setting is written");
}

try {
    main();
} catch (e) {
    check(false, "the script stopped with error " + e.number + " " + e.description);
}
// The harness passes a script only on this line: an uncaught error ends it before.
if (failed == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failed == 0 ? 0 : 1);
