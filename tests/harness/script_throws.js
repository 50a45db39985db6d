// Stops half-way with an uncaught error, after a line of output; its last
// checks and its success line are never reached.
WScript.Echo("checked the first half");
var missing = null;
missing.method();
WScript.Echo("SCRIPT PASSED");
WScript.Quit(0);
