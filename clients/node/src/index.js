// The package's library: the typed client of the daemon and the MCP server built on it.

export { Daemon, INVOKE_LIMIT_MS } from './daemon.js';
export { DEFAULT_DEADLINE_MS, DEFAULT_STARTUP_TIMEOUT_MS } from './connection.js';
export {
  DaemonClosed,
  DaemonExited,
  DaemonFailure,
  DaemonHung,
  DaemonStartError,
  SESSIONS_LOST,
  UiadError,
} from './errors.js';
export { locateDaemon } from './locate.js';
export { DEFAULT_MAX_ELEMENTS, createServer } from './server.js';
export { bmpToPng } from './bitmap.js';
