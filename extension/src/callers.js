// SPDX-License-Identifier: GPL-3.0-or-later

// Only the installed Cuewell program may use the service. The bus daemon tells the pid behind
// each caller and the kernel which file that process runs: it has to be the very file (same
// device and inode) of a program this build of the extension allows (ALLOWED_PROGRAMS, fixed
// when the extension is built; nothing the user sets widens it). A name proves nothing, since
// any program can be saved as "cuewell". The installed program must also be out of the user's
// reach: it and every folder above it owned by root and writable by no one else, so that it
// cannot be swapped for another file.
//
// Answers are kept per bus connection: the bus never gives a connection's unique name to
// another, so a connection checked once stays checked. What runs inside the real Cuewell
// process (a preloaded library, a debugger), or a process that connects and then replaces
// itself with Cuewell, looks like Cuewell to the bus and is beyond this check.
const MAX_REMEMBERED_CALLERS = 256;
// As many links as the kernel follows while resolving one path.
const MAX_LINKS = 40;
const WRITABLE_BY_GROUP_OR_OTHERS = 0o022;
const STATUS_ATTRIBUTES =
    'standard::type,standard::symlink-target,unix::device,unix::inode,unix::uid,unix::mode';

class CallerCheck {
    // `programs` as ALLOWED_PROGRAMS: [{path, rootOwned}, ...].
    constructor(connection, programs) {
        this._connection = connection;
        this._programs = programs;
        this._answers = new Map(); // unique bus name -> Promise of its pid or null
    }

    // Resolves to the pid of `sender` (a unique bus name) when it runs an allowed program, else
    // to null. Calls of one sender are answered in the order they came, the first one too.
    allowedPid(sender) {
        let answer = this._answers.get(sender);
        if (answer === undefined) {
            if (this._answers.size >= MAX_REMEMBERED_CALLERS)
                this._answers.clear();
            answer = this._ask(sender);
            this._answers.set(sender, answer);
        }
        return answer;
    }

    _ask(sender) {
        const answer = new Promise(resolve => {
            this._connection.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
                'org.freedesktop.DBus', 'GetConnectionUnixProcessID',
                new GLib.Variant('(s)', [sender]), new GLib.VariantType('(u)'),
                Gio.DBusCallFlags.NONE, 1000, null, (connection, result) => {
                    try {
                        const [pid] = connection.call_finish(result).deep_unpack();
                        resolve(runsAllowedProgram(pid, this._programs) ? pid : null);
                    } catch (e) {
                        // The bus did not say (a time-out, say): no answer is kept, and the
                        // caller's next call is checked afresh.
                        if (this._answers.get(sender) === answer)
                            this._answers.delete(sender);
                        resolve(null);
                    }
                });
        });
        return answer;
    }
}

// Whether process `pid` runs one of `programs` ([{path, rootOwned}, ...]): the file it was
// started from, even if since renamed or deleted, is the file at `path`. A `rootOwned` program
// counts only while no one but root can replace it.
function runsAllowedProgram(pid, programs) {
    if (!Number.isInteger(pid) || pid <= 0)
        return false;
    const running = fileStatus(`/proc/${pid}/exe`, true);
    if (running === null)
        return false; // gone, or not ours to look at
    return programs.some(program => {
        const file = program.rootOwned
            ? rootOwnedFile(program.path) : fileStatus(program.path, true);
        return file !== null && file.device === running.device && file.inode === running.inode;
    });
}

// The file at `path` when only root can change it or put another in its place: the file and
// every folder on the way to it, links resolved, owned by root and not writable by group or
// others. Else null.
function rootOwnedFile(path) {
    const chain = resolvedChain(path);
    if (chain === null)
        return null;
    const safe = chain.every(({status}) =>
        status.uid === 0 && (status.mode & WRITABLE_BY_GROUP_OR_OTHERS) === 0);
    return safe && chain.length > 1 ? chain[chain.length - 1].status : null;
}

// What an absolute path passes through, as the kernel resolves it: `/`, each folder, and the
// file it names, every link replaced by where it leads ({path, status} each, none a link). A
// link is as safe as the folder it lies in, which is on the list, and the place it leads to,
// which is too. Null when the path is relative, names nothing, or loops.
function resolvedChain(path) {
    if (!GLib.path_is_absolute(path))
        return null;
    const root = fileStatus('/', false);
    if (root === null)
        return null;
    const chain = [{path: '/', status: root}];
    let pending = path.split('/');
    let links = 0;
    while (pending.length > 0) {
        const part = pending.shift();
        if (part === '' || part === '.')
            continue;
        if (part === '..') {
            if (chain.length > 1)
                chain.pop();
            continue;
        }
        const next = GLib.build_filenamev([chain[chain.length - 1].path, part]);
        const status = fileStatus(next, false);
        if (status === null)
            return null;
        if (status.type === Gio.FileType.SYMBOLIC_LINK) {
            if (++links > MAX_LINKS || !status.linkTarget)
                return null;
            if (GLib.path_is_absolute(status.linkTarget))
                chain.splice(1);
            pending = [...status.linkTarget.split('/'), ...pending];
            continue;
        }
        chain.push({path: next, status});
    }
    return chain;
}

// What the kernel says of a file (its own, or with `followLinks` what a link leads to), or
// null when it cannot be read. Device and inode are kept as decimal text: inodes can exceed
// what a JavaScript number holds exactly.
function fileStatus(path, followLinks) {
    try {
        const info = Gio.File.new_for_path(path).query_info(STATUS_ATTRIBUTES,
            followLinks ? Gio.FileQueryInfoFlags.NONE : Gio.FileQueryInfoFlags.NOFOLLOW_SYMLINKS,
            null);
        if (!info.has_attribute('unix::device') || !info.has_attribute('unix::inode'))
            return null;
        const type = info.get_file_type();
        return {
            type,
            // GLib 2.76 and later complain when a file that is no link is asked where it leads.
            linkTarget: type === Gio.FileType.SYMBOLIC_LINK ? info.get_symlink_target() : null,
            device: info.get_attribute_as_string('unix::device'),
            inode: info.get_attribute_as_string('unix::inode'),
            uid: info.get_attribute_uint32('unix::uid'),
            mode: info.get_attribute_uint32('unix::mode'),
        };
    } catch (e) {
        return null;
    }
}

// Beyond subscribing and listing windows, the service works for its subscriber alone: the
// Cuewell connection that subscribed last and is still on the bus.
function isSubscriber(sender, subscriber) {
    return subscriber !== null && sender === subscriber;
}

// A window's pixels go to the subscriber only, and only from the application it observes: the
// pid it last asked to watch (that application's popups have the same pid). Nothing is watched
// while the pid is 0, and windows whose pid the shell does not know read 0.
function mayCapture(sender, subscriber, windowPid, watchedPid) {
    return isSubscriber(sender, subscriber) && watchedPid > 0 && windowPid === watchedPid;
}
