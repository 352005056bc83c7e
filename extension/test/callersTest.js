// SPDX-License-Identifier: GPL-3.0-or-later

// The service's caller check, run with real processes: which program a process runs is what
// the kernel says, so every case starts one (a copy of `sleep` saved as "cuewell"). Cases that
// need folders only root can change run as root only and are skipped, with a note, otherwise.
// Prints "N passed, M failed" and exits 1 when any case failed.

const ROOT_ONLY_PARENTS = ['/var/lib', '/opt', '/usr/local/lib', '/var/cache'];
const NOBODY = 65534;

let passed = 0;
let failed = 0;
const cleanups = [];

function check(name, condition, detail = '') {
    if (condition) {
        passed++;
    } else {
        failed++;
        print(`FAIL: ${name}${detail ? ` (${detail})` : ''}`);
    }
}

function skip(group, why) {
    print(`SKIP: ${group}: ${why}`);
}

function setAttribute(path, attribute, value) {
    Gio.File.new_for_path(path).set_attribute_uint32(attribute, value,
        Gio.FileQueryInfoFlags.NOFOLLOW_SYMLINKS, null);
}

function setMode(path, mode) {
    setAttribute(path, 'unix::mode', mode);
}

function setOwner(path, uid) {
    setAttribute(path, 'unix::uid', uid);
}

function removeTree(path) {
    const file = Gio.File.new_for_path(path);
    const type = file.query_file_type(Gio.FileQueryInfoFlags.NOFOLLOW_SYMLINKS, null);
    if (type === Gio.FileType.DIRECTORY) {
        const children = file.enumerate_children('standard::name',
            Gio.FileQueryInfoFlags.NOFOLLOW_SYMLINKS, null);
        for (let info = children.next_file(null); info; info = children.next_file(null))
            removeTree(GLib.build_filenamev([path, info.get_name()]));
        children.close(null);
    }
    if (type !== Gio.FileType.UNKNOWN)
        file.delete(null);
}

// A new folder in `parent`, removed when the test ends.
function makeFolder(parent, mode = 0o755) {
    const path = GLib.build_filenamev([parent, `cuewell-callers-${GLib.uuid_string_random()}`]);
    Gio.File.new_for_path(path).make_directory(null);
    setMode(path, mode);
    cleanups.push(() => removeTree(path));
    return path;
}

// A copy of `sleep` at `folder`/`name`, runnable by everyone.
function copyProgram(folder, name = 'cuewell') {
    const path = GLib.build_filenamev([folder, name]);
    Gio.File.new_for_path(GLib.find_program_in_path('sleep'))
        .copy(Gio.File.new_for_path(path), Gio.FileCopyFlags.OVERWRITE, null, null);
    setMode(path, 0o755);
    return path;
}

// Starts the program at `path`; it runs until the test ends.
function start(path) {
    const process = Gio.Subprocess.new([path, '600'], Gio.SubprocessFlags.NONE);
    cleanups.push(() => {
        process.force_exit();
        process.wait(null);
    });
    return {process, pid: Number(process.get_identifier())};
}

function link(path, target) {
    Gio.File.new_for_path(path).make_symbolic_link(target, null);
}

// Whether only root can change `path` and every folder above it, told without the code under
// test, to find where root-owned test folders can go.
function onlyRootCanChange(path) {
    for (let p = path; ; p = GLib.path_get_dirname(p)) {
        let info;
        try {
            info = Gio.File.new_for_path(p).query_info('unix::uid,unix::mode',
                Gio.FileQueryInfoFlags.NONE, null);
        } catch (e) {
            return false;
        }
        if (info.get_attribute_uint32('unix::uid') !== 0 ||
            (info.get_attribute_uint32('unix::mode') & 0o022) !== 0)
            return false;
        if (p === '/')
            return true;
    }
}

function installed(path) {
    return [{path, rootOwned: true}];
}

function built(path) {
    return [{path, rootOwned: false}];
}

// A program saved as "cuewell" is not Cuewell: neither the installed program of that name nor
// another file of that name built elsewhere lets it in, though all are the same bytes.
function impostorsAreRefused(rootFolder) {
    const impostorPath = copyProgram(makeFolder(GLib.get_tmp_dir(), 0o700));
    const impostor = start(impostorPath);
    const elsewhere = copyProgram(makeFolder(GLib.get_tmp_dir()));
    check('a program named cuewell is refused for another file of that name',
        !runsAllowedProgram(impostor.pid, built(elsewhere)));
    check('a program named cuewell is served for its own file (the control)',
        runsAllowedProgram(impostor.pid, built(impostorPath)));
    if (rootFolder === null) {
        skip('impostor against the installed program', 'no root-owned folder can be made');
        return;
    }
    const installedPath = copyProgram(makeFolder(rootFolder));
    check('a program named cuewell is refused for the installed program',
        !runsAllowedProgram(impostor.pid, installed(installedPath)));
    check('a program named cuewell is refused when any of several programs is asked for',
        !runsAllowedProgram(impostor.pid, [...installed(installedPath), ...built(elsewhere)]));
}

// The installed program is served while root alone can replace it, and from the moment anyone
// else could, no longer.
function installedProgramWhileOnlyRootCanReplaceIt(rootFolder) {
    const top = makeFolder(rootFolder);
    const bin = GLib.build_filenamev([top, 'bin']);
    Gio.File.new_for_path(bin).make_directory(null);
    setMode(bin, 0o755);
    const program = copyProgram(bin);
    const cuewell = start(program);
    const allowed = installed(program);
    check('the installed program is served', runsAllowedProgram(cuewell.pid, allowed));

    // Each change is made alone and undone: the program is served before each, so a refusal
    // is the change's doing.
    const refusedWhile = (name, change, undo) => {
        const before = runsAllowedProgram(cuewell.pid, allowed);
        change();
        const during = runsAllowedProgram(cuewell.pid, allowed);
        undo();
        check(name, before && !during, `served before: ${before}, while changed: ${during}`);
    };
    refusedWhile('refused while its folder is writable by others',
        () => setMode(bin, 0o777), () => setMode(bin, 0o755));
    refusedWhile('refused while its folder is writable by the group',
        () => setMode(bin, 0o775), () => setMode(bin, 0o755));
    refusedWhile('refused while its folder belongs to another user',
        () => setOwner(bin, NOBODY), () => setOwner(bin, 0));
    refusedWhile('refused while a folder further up is writable by others',
        () => setMode(top, 0o777), () => setMode(top, 0o755));
    refusedWhile('refused while a folder further up belongs to another user',
        () => setOwner(top, NOBODY), () => setOwner(top, 0));
    refusedWhile('refused while the program is writable by others',
        () => setMode(program, 0o757), () => setMode(program, 0o755));
    refusedWhile('refused while the program belongs to another user',
        () => setOwner(program, NOBODY), () => setOwner(program, 0));

    // Links are followed to where they lead, and that place is held to the same rule.
    link(GLib.build_filenamev([top, 'current']), 'bin');
    check('served through a link to its folder',
        runsAllowedProgram(cuewell.pid, installed(GLib.build_filenamev([top, 'current', 'cuewell']))));
    const outside = makeFolder(GLib.get_tmp_dir());
    const outsideCuewell = start(copyProgram(outside));
    link(GLib.build_filenamev([top, 'away']), outside);
    check('the program outside is the one the link names (the control)',
        runsAllowedProgram(outsideCuewell.pid, built(GLib.build_filenamev([top, 'away', 'cuewell']))));
    check('refused through a root-owned link to a folder others can change',
        !runsAllowedProgram(outsideCuewell.pid,
            installed(GLib.build_filenamev([top, 'away', 'cuewell']))));

    // Replaced on disk (an update) while running: the process runs a file that is gone.
    const update = copyProgram(bin, 'cuewell.new');
    Gio.File.new_for_path(update).move(Gio.File.new_for_path(program),
        Gio.FileCopyFlags.OVERWRITE, null, null);
    check('refused once the file it was started from is replaced',
        !runsAllowedProgram(cuewell.pid, allowed));
}

// A pid says nothing once its process is gone.
function exitedProcessesAreRefused() {
    const program = copyProgram(makeFolder(GLib.get_tmp_dir()));
    const cuewell = start(program);
    const servedWhileRunning = runsAllowedProgram(cuewell.pid, built(program));
    cuewell.process.force_exit();
    cuewell.process.wait(null);
    check('a process that has exited is refused',
        servedWhileRunning && !runsAllowedProgram(cuewell.pid, built(program)),
        `served while running: ${servedWhileRunning}`);
}

// The bus, as far as the caller check asks it: the pid behind a unique name, answered later as
// a real bus does, or an error for a name it does not know.
class FakeBus {
    constructor(pids) {
        this.pids = pids;
        this.asked = [];
    }

    call(busName, objectPath, interfaceName, method, parameters, replyType, flags, timeout,
        cancellable, callback) {
        const [sender] = parameters.deep_unpack();
        this.asked.push(sender);
        GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
            callback(this, sender);
            return GLib.SOURCE_REMOVE;
        });
    }

    call_finish(sender) {
        if (!(sender in this.pids))
            throw new Error(`no such name ${sender}`);
        return new GLib.Variant('(u)', [this.pids[sender]]);
    }
}

async function callersAreAskedForOncePerConnection() {
    const program = copyProgram(makeFolder(GLib.get_tmp_dir()));
    const cuewell = start(program);
    const impostor = start(copyProgram(makeFolder(GLib.get_tmp_dir())));
    const bus = new FakeBus({':1.10': cuewell.pid, ':1.11': impostor.pid});
    const callers = new CallerCheck(bus, built(program));

    check('the connection of the allowed program gets its pid',
        await callers.allowedPid(':1.10') === cuewell.pid);
    check('the connection of a program named cuewell gets nothing',
        await callers.allowedPid(':1.11') === null);
    check('a name the bus does not know gets nothing', await callers.allowedPid(':1.12') === null);

    // A new connection's first calls come before the bus has answered; they are answered in
    // the order they came, from one question.
    bus.pids[':1.20'] = cuewell.pid;
    const order = [];
    await Promise.all(['watch', 'capture'].map(call =>
        callers.allowedPid(':1.20').then(pid => order.push(`${call} ${pid}`))));
    check('calls of one connection are answered in order',
        order.join(', ') === `watch ${cuewell.pid}, capture ${cuewell.pid}`, order.join(', '));
    check('the bus is asked once per connection',
        bus.asked.filter(name => name === ':1.20').length === 1, bus.asked.join(' '));

    // Many connections come and go; answers are not kept for all of them.
    for (let i = 0; i < 1000; i++)
        callers.allowedPid(`:2.${i}`);
    check('answers are kept for a bounded number of connections',
        callers._answers.size <= MAX_REMEMBERED_CALLERS, `${callers._answers.size} kept`);
}

function subscriberRules() {
    const subscriber = ':1.5';
    check('the subscriber is served', isSubscriber(subscriber, subscriber));
    check('another allowed connection is not the subscriber', !isSubscriber(':1.6', subscriber));
    check('no one is the subscriber before Cuewell subscribes', !isSubscriber(':1.5', null));

    check('the subscriber captures a window of the watched application',
        mayCapture(subscriber, subscriber, 4242, 4242));
    check('another connection captures no window, not even of the watched application',
        !mayCapture(':1.6', subscriber, 4242, 4242));
    check('no capture before Cuewell subscribes', !mayCapture(':1.5', null, 4242, 4242));
    check('the subscriber captures no window of another application',
        !mayCapture(subscriber, subscriber, 4243, 4242));
    check('nothing is captured while no application is watched, windows of unknown pid included',
        !mayCapture(subscriber, subscriber, 0, 0));
}

async function main() {
    const uid = new Gio.Credentials().get_unix_user();
    const rootParent = uid === 0 ? ROOT_ONLY_PARENTS.find(onlyRootCanChange) ?? null : null;
    const rootFolder = rootParent === null ? null : makeFolder(rootParent);
    if (rootFolder === null) {
        skip('cases with root-owned folders', uid === 0
            ? `none of ${ROOT_ONLY_PARENTS.join(', ')} is changed by root alone`
            : `they need root to make root-owned folders (running as uid ${uid})`);
    }

    impostorsAreRefused(rootFolder);
    if (rootFolder !== null)
        installedProgramWhileOnlyRootCanReplaceIt(rootFolder);
    exitedProcessesAreRefused();
    await callersAreAskedForOncePerConnection();
    subscriberRules();
}

const loop = new GLib.MainLoop(null, false);
main().catch(e => {
    failed++;
    print(`FAIL: the test stopped: ${e}\n${e.stack ?? ''}`);
}).finally(() => loop.quit());
loop.run();
for (const cleanup of cleanups.reverse()) {
    try {
        cleanup();
    } catch (e) {
        print(`cleaning up: ${e}`);
    }
}
print(`${passed} passed, ${failed} failed`);
imports.system.exit(failed > 0 ? 1 : 0);
