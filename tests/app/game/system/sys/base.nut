// The fixture game keeps its settings, log and parameters in its own folder of the user's
// application data.
setAppDir("tessera-fixture");
