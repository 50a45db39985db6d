WScript.Quit(0);
