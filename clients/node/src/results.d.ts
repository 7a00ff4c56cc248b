// Result shapes of the daemon's commands, as decoded from the wire. Keys are the daemon's own;
// optional keys are written only in some cases.

export interface Ok {
  ok: boolean;
}

export interface Pong extends Ok {
  pong: boolean;
}

/** One entry of a scan's `elements` map, keyed by element id. */
export interface ElementSummary {
  cx: number;
  cy: number;
  enabled: boolean;
  focused: boolean;
  h: number;
  /** the automation id, not the element id */
  id: string;
  name: string;
  patterns: string[];
  role: string;
  value: string;
  w: number;
}

export interface ScanResult extends Ok {
  app: string;
  chromium: boolean;
  element_count: number;
  elements: Record<string, ElementSummary>;
  handle_count: number;
  timing?: { build_ms: number | null; strategy: string; supplement_ms: number | null };
  title: string;
  truncated: boolean;
  ui_block: string;
}

export interface ClickResult extends Ok {
  center_x: number;
  center_y: number;
  id: string;
  label: string;
  method: string;
  role: string;
  selected?: boolean | null;
}

export interface AttrsResult extends Ok {
  desc: string;
  enabled: boolean;
  focused: boolean;
  id: string;
  name: string;
  patterns: string[];
  pos: number[];
  role: string;
  size: number[];
  title: string;
  value: string;
}

export interface SetValueResult extends Ok {
  id: string;
  label: string;
  method: string;
  role: string;
}

export interface PerformResult extends Ok {
  id: string;
  label: string;
  role: string;
}

export interface KeyResult extends Ok {
  count: number;
  focused: boolean;
  key: string;
  kind: 'key' | 'char' | 'text';
  method: string;
  vk: number | null;
}

export interface MouseClickResult extends Ok {
  button: string;
  center_x: number;
  center_y: number;
  count: number;
  id: string;
  label: string;
  role: string;
  success: boolean;
  x: number;
  y: number;
}

export interface RevealedWindow {
  class: string;
  h: number;
  title: string;
  w: number;
  x: number;
  y: number;
}

export interface HoverResult extends Ok {
  center_x: number;
  center_y: number;
  cursor_restored: boolean;
  fg_after: number;
  fg_before: number;
  fg_changed: boolean;
  id: string;
  label: string;
  method: string;
  moved_real_cursor: boolean;
  revealed_windows: RevealedWindow[];
  role: string;
}

export interface ScrollResult extends Ok {
  direction: string;
  from_pct?: number;
  id: string;
  to_pct?: number;
  verified: boolean;
}

export interface ChangeResult extends Ok {
  changed: boolean;
  notification: string | null;
}

export interface ProbeResult extends Ok {
  reason?: 'no_handle' | 'no_session';
  valid: boolean;
}

export interface MenusResult extends Ok {
  app: string;
  note: string;
  shortcuts: { items: string[]; path: string }[];
}

export interface InvokeMenuResult extends Ok {
  app: string;
  path: string;
}

/** `ok` is false, without an `error`, when the menu showed no items. */
export interface ContextMenuResult extends Ok {
  count: number;
  foregrounded: boolean;
  id: string;
  items: { enabled: boolean; name: string; shortcut: string }[];
  menu_class: string;
}

export interface WindowsResult extends Ok {
  /** `id` is the window handle in decimal, usable as `app` */
  windows: { id: string; pos: number[]; size: number[]; title: string }[];
}

export interface ListAppsResult extends Ok {
  apps: { name: string; process: string }[];
}

export interface ForegroundResult extends Ok {
  hwnd: number;
  title: string;
}

export interface ScreenshotResult extends Ok {
  path: string;
}

export interface DismissResult extends Ok {
  dismissed: { button: string; title: string }[];
}
