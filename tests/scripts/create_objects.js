// Every class of the three libraries can be created late-bound by its ProgID.
var progIds = ["Fraxil.Shredder", "Velmora.BrowsCls", "Velmora.WinCls", "Velmora.OfficCls", "Velmora.ChatCls",
               "Velmora.General", "Velmora.INI", "Velmora.OS", "Velmora.System", "VqQuenza.Optimizer",
               "VqQuenza.Error"];
var failed = 0;
for (var i = 0; i < progIds.length; i++) {
    try {
        var obj = new ActiveXObject(progIds[i]);
        WScript.Echo("created " + progIds[i]);
        obj = null;
    } catch (e) {
        WScript.Echo("FAILED " + progIds[i] + ": " + e.message);
        failed++;
    }
}
// The harness passes a script only on this line: an uncaught error ends it before.
if (failed == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failed == 0 ? 0 : 1);
