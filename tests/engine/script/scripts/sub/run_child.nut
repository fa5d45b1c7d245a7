return sysGetRootDir();
