// VqQuenza.Optimizer and VqQuenza.Error driven late-bound by a script, as any
// automation client would: created by ProgID, arguments passed by value to
// members that take them by reference, Booleans and counts coming back typed.
var failed = 0;
function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAILED: " + what);
        failed++;
    }
}

var opt = new ActiveXObject("VqQuenza.Optimizer");
var readers = ["IsBroadBand", "IsAutoBootDisk", "IsHardDiskWhenIdle", "IsAddNewOption2CopyMove",
               "IsRestoreOpenFolders", "IsDisableSaveSettings", "IsDisableLowDiskSpaceNote", "IsDisableControlPanel",
               "IsDisableRecentDocHistory", "IsLockHardDrives", "IsLockApplications"];
var setters = ["OPZBroadBand", "OPZAutoBootDisk", "OPZHardDiskWhenIdle", "OPZAddNewOption2CopyMove",
               "OPZRestoreOpenFolders", "OPZDisableSaveSettings", "OPZDisableLowDiskSpaceNote", "OPZDisableControlPanel",
               "OPZDisableRecentDocHistory"];

for (var i = 0; i < setters.length; i++) {
    var on = true;
    var r = opt[setters[i]](on);
    check(typeof r == "undefined", setters[i] + " returns an empty variant, got " + typeof r);
    check(opt[readers[i]]() === true, readers[i] + " after " + setters[i] + "(true)");
    opt[setters[i]](false);
    check(opt[readers[i]]() === false, readers[i] + " after " + setters[i] + "(false)");
}

opt.OPZLockHardDrives(true, "|C|E|");
check(opt.IsLockHardDrives() === true, "IsLockHardDrives after locking C and E");
opt.OPZLockHardDrives(false, "|");
check(opt.IsLockHardDrives() === false, "IsLockHardDrives after unlocking");

opt.OPZLockApplications(true, "C:\\a.exe");
check(opt.IsLockApplications() === true, "IsLockApplications after locking");
opt.OPZLockApplications(false, "");
check(opt.IsLockApplications() === false, "IsLockApplications after unlocking");

opt.OPZSimConnecions(true, 10);
var n = opt.GetSimConnecions();
check(typeof n == "number" && n == 10, "GetSimConnecions after 10: " + n);
opt.OPZSimConnecions(false, 10);
check(opt.GetSimConnecions() == -1, "GetSimConnecions after off: " + opt.GetSimConnecions());

// The error log, switched on for the scratch drive through the log settings.
var shell = new ActiveXObject("WScript.Shell");
var settings = "HKCU\\Software\\Halvane\\Settings\\General Settings\\";
shell.RegWrite(settings + "Is Save Logs", "True", "REG_SZ");
shell.RegWrite(settings + "Log Files Path", "S:\\", "REG_SZ");
var log = new ActiveXObject("VqQuenza.Error");
log.ErrLogPath = "S:\\old.log";
check(log.ErrLogPath == "S:\\old.log", "ErrLogPath keeps what was set");
log.LoggError({Number: 5, Description: "Invalid procedure call or argument"}, "Apply@frmTest", "from a script");
log.LoggString("detected by a script");

var fso = new ActiveXObject("Scripting.FileSystemObject");
function readAll(path) {
    if (!fso.FileExists(path)) return "";
    var f = fso.OpenTextFile(path, 1);
    var text = f.AtEndOfStream ? "" : f.ReadAll();
    f.Close();
    return text;
}
var errors = readAll("S:\\Errors.txt");
check(errors.indexOf("Error Number: 5, Description: Invalid procedure call or argument - from a script, " +
                     "Function: tseTmrf@ylppA : On : ") == 0, "Errors.txt: " + errors);
check(readAll("S:\\Detections.txt") == "detected by a script\r\n", "Detections.txt: " + readAll("S:\\Detections.txt"));
check(log.DeleteErrorLog() === false, "DeleteErrorLog of a missing file");

WScript.Echo(failed == 0 ? "all checks passed" : failed + " checks failed");
// The harness passes a script only on this line: an uncaught error ends it before.
if (failed == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failed == 0 ? 0 : 1);
