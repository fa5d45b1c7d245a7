// "init" fails with a float and a bool local alive.
function init() {
    local half = 1.5;
    local flag = true;
    return half + undefinedName;
}
