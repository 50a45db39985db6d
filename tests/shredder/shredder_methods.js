// A script creates the shredder by ProgID, initialises it, walks the wiping
// methods with the cursor and reads their names.
var expected = ["Quick Shred", "U.S. Standard, DoD 5220.22-M", "NAVSO P-5239-26 (RLL)", "NAVSO P-5239-26 (MFM)",
                "German Standard, VSITR"];
var passes = [1, 3, 3, 3, 7];
var failures = 0;
function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAILED: " + what);
        failures++;
    }
}

var shredder = new ActiveXObject("Fraxil.Shredder");
check(shredder.Initialize() == 1, "Initialize");
check(shredder.Language == "English", "default language");
check(shredder.GetFirstShreddingAlgorithm() == 1, "GetFirstShreddingAlgorithm");
var names = [];
while (shredder.NextShreddingAlgorithm() == 1) {
    names.push(shredder.CurrentAlgorithmName);
    check(shredder.CurrentAlgorithmPassesCount == passes[names.length - 1], "passes of " + shredder.CurrentAlgorithmName);
    if (names.length > 10) break;
}
WScript.Echo("methods: " + names.join(" / "));
check(names.length == expected.length, "five methods, got " + names.length);
for (var i = 0; i < expected.length; i++) check(names[i] == expected[i], "method " + i + " is " + names[i]);
shredder.ShredHiddenAndSystemFiles = 5;
check(shredder.ShredHiddenAndSystemFiles == 1, "flag normalised");
shredder.ReleaseShredder();
// The harness passes a script only on this line: an uncaught error ends it before.
if (failures == 0) WScript.Echo("SCRIPT PASSED");
WScript.Quit(failures == 0 ? 0 : 1);
