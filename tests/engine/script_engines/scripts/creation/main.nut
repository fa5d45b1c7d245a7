// The older layer's creation natives with odd arguments; the test reads the records.
function create() {
    local deep = spriteCreateRenderer(-1, 50, 100000);
    local flat = spriteCreateRenderer(10, 10, -2);
    return {
        deep = deep,
        flat = flat,
        font = spriteCreateFont(12) != null
    };
}
