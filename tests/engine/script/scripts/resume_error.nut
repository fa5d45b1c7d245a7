function work() {
    suspend(1);
    local missing = null;
    return missing.field;
}
