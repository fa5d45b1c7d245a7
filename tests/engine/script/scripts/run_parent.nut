// sysRun from the top level: the child sees its own directory, the parent's is restored.
before <- sysGetRootDir();
child <- sysRun("sub/run_child");
after <- sysGetRootDir();
missing <- sysRun("sub/no_such_script");
