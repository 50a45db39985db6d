// A script runs a folder session to its end: it lists a folder of its own with a
// subfolder, starts the session and waits (it cannot receive the events) until
// the state reads 3, completed; the folder is then gone.
var failures = 0;
function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAILED: " + what);
        failures++;
    }
}

var fso = new ActiveXObject("Scripting.FileSystemObject");
var shell = new ActiveXObject("WScript.Shell");
var folder = fso.GetSpecialFolder(2).Path + "\\fraxil_script_session";
if (fso.FolderExists(folder)) fso.DeleteFolder(folder, true);
fso.CreateFolder(folder);
fso.CreateFolder(folder + "\\sub");
var names = [folder + "\\one.txt", folder + "\\two.doc", folder + "\\sub\\three.txt"];
for (var i = 0; i < names.length; i++) {
    var f = fso.CreateTextFile(names[i], true);
    f.Write("secret " + i);
    f.Close();
}

var shredder = new ActiveXObject("Fraxil.Shredder");
check(shredder.Initialize() == 1, "Initialize");
check(shredder.NewSession() == 1, "NewSession");
shredder.SessionType = 0;
shredder.ShredMethod = 1;
shredder.ShredSubFolder = 1;
shredder.RemoveSubFolder = 1;
check(shredder.AddFolder(folder) == 1, "AddFolder");
check(shredder.FoldersCount == 1, "one folder listed");
check(shredder.StartSession() == 1, "StartSession");

// WScript.Sleep is missing here: a hidden command that ends at once is the pause.
var waited = 0;
while (shredder.SessionState == 1 && waited < 100) {
    shell.Run("cmd /c exit 0", 0, true);
    waited++;
}
WScript.Echo("session state " + shredder.SessionState + " after " + waited + " pauses");
check(shredder.SessionState == 3, "the session completed");
check(!fso.FolderExists(folder), "the folder is gone");
check(shredder.FoldersCount == 0, "the folder list is emptied");
// The harness passes a script only on this line: an uncaught error ends it before.
if (failures == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failures == 0 ? 0 : 1);
