// The cleaning library late-bound from a script, through its type library only:
// the Windows cleaner cleans a seeded registry key, and System lists the drives.
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

// cscript ends with 0 after an error it does not catch, so every error is
// caught and counted.
function main() {
    var fso = new ActiveXObject("Scripting.FileSystemObject");
    var shell = new ActiveXObject("WScript.Shell");

    // The library registered from a copy in the scratch folder, so that its daily
    // log lies in the sandbox too.
    if (!fso.FolderExists("S:\\velmora")) fso.CreateFolder("S:\\velmora");
    fso.CopyFile("Y:\\Velmora.dll", "S:\\velmora\\Velmora.dll", true);
    check(shell.Run("regsvr32 /s S:\\velmora\\Velmora.dll", 0, true) == 0, "registered the library copy");

    var marker = "HKCU\\Printers\\Connections\\Marker";
    shell.RegWrite(marker, "seeded", "REG_SZ");
    shell.RegWrite("HKCU\\Software\\Microsoft\\Direct3D\\Keep", "stays", "REG_SZ");
    check(exists(shell, marker), "seeded the printer connections");

    var win = new ActiveXObject("Velmora.WinCls");
    check(win.CleanRecentPrinter == false, "a new cleaner has its switches off");
    win.CleanRecentPrinter = true;
    check(win.CleanRecentPrinter == true, "the switch reads back");
    win.StartClean();
    check(!exists(shell, marker), "the printer connections are gone");
    check(exists(shell, "HKCU\\Software\\Microsoft\\Direct3D\\Keep"), "an unselected key stays");
    check(fso.FolderExists("S:\\velmora\\Logs"), "the deletion went to the daily log beside the library");
    win.WinReset();
    check(win.CleanRecentPrinter == false, "the reset clears the switch");

    var sys = new ActiveXObject("Velmora.System");
    var drives = sys.Enumerate_Drives();
    check(drives.length == 255, "the drive list is the whole buffer");
    // Split by hand: a NUL separator does not survive split() in every script engine.
    var roots = [], root = "";
    for (var i = 0; i < drives.length; i++) {
        if (drives.charCodeAt(i) == 0) {
            if (root != "") roots.push(root);
            root = "";
        } else {
            root += drives.charAt(i);
        }
    }
    var hasC = false;
    for (var i = 0; i < roots.length; i++) {
        if (roots[i] == "C:\\") hasC = true;
    }
    check(hasC, "the drive list holds C:\\ (" + roots.join(" ") + ")");
    check(sys.getWDirectory().length > 3, "the Windows folder: " + sys.getWDirectory());

    // A record return value is not a type a script can hold.
    try {
        var lists = sys.Enumerate_Uninstall();
        WScript.Echo("note   Enumerate_Uninstall gave a " + typeof lists);
    } catch (e) {
        WScript.Echo("note   Enumerate_Uninstall is not usable from a script (error " + e.number + ")");
    }
}

try {
    main();
} catch (e) {
    check(false, "the script stopped with error " + e.number + " " + e.description);
}

// The harness passes a script only on this line: an uncaught error ends it before.
if (failed == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failed == 0 ? 0 : 1);
