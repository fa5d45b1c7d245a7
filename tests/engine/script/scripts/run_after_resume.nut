// sysRun is refused once "work" has been suspended.
function work() {
    suspend(0);
    return sysRun("sub/run_child");
}
