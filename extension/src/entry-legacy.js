
function init() {
    return new CuewellCompanion();
}
