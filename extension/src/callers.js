
// Only the Cuewell program may use the service: the bus daemon tells the pid behind each
// caller, and the kernel tells which program that process runs. Answers are kept per
// connection (the bus never gives a connection's name to another).
const ALLOWED_PROGRAM = 'cuewell';
const MAX_REMEMBERED_CALLERS = 256;

class CallerCheck {
    constructor(connection) {
        this._connection = connection;
        this._answers = new Map();
    }

    // Resolves to the pid of `sender` (a unique bus name) when it is the Cuewell program, else
    // to null.
    allowedPid(sender) {
        if (this._answers.has(sender))
            return Promise.resolve(this._answers.get(sender));
        return new Promise(resolve => {
            this._connection.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
                'org.freedesktop.DBus', 'GetConnectionUnixProcessID',
                new GLib.Variant('(s)', [sender]), new GLib.VariantType('(u)'),
                Gio.DBusCallFlags.NONE, 1000, null, (connection, result) => {
                    let allowed = null;
                    try {
                        const [pid] = connection.call_finish(result).deep_unpack();
                        allowed = programOf(pid) === ALLOWED_PROGRAM ? pid : null;
                    } catch (e) {
                        allowed = null;
                    }
                    if (this._answers.size >= MAX_REMEMBERED_CALLERS)
                        this._answers.clear();
                    this._answers.set(sender, allowed);
                    resolve(allowed);
                });
        });
    }
}

// The file name of the program a process runs ("cuewell"), or null. A program replaced on disk
// while running reads as "cuewell (deleted)".
function programOf(pid) {
    try {
        const target = GLib.file_read_link(`/proc/${pid}/exe`);
        return GLib.path_get_basename(target).replace(/ \(deleted\)$/, '');
    } catch (e) {
        return null;
    }
}
