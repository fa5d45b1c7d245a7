// The start-up suite's game keeps its settings and log in "//<localappdata>/startup/".
setAppDir("startup");
