// The base script runs first of all, before the settings: it names the game's own folder, under
// which the settings file, the log and the saved parameters are kept.
setAppDir("TesseraDemo");
